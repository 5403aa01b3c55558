#include "InstrumentSearch.h"

#include "MidiPort.h"

namespace morvane {

InstrumentSearch::InstrumentSearch(BackendFactory factory, std::vector<std::string> inputs,
                                   std::vector<std::string> outputs, std::string clientStem)
    : factory_(std::move(factory)), inputs_(std::move(inputs)), outputs_(std::move(outputs)),
      clientStem_(std::move(clientStem))
{
}

InstrumentSearch::~InstrumentSearch()
{
    cancel();
    wait();
}

std::vector<std::vector<std::uint8_t>> InstrumentSearch::requests()
{
    std::vector<std::vector<std::uint8_t>> messages;
    for (int device = 0; device < 16; ++device) {
        for (const int model : {kModelSy22, kModelTg33}) {
            const auto request = dumpRequest(model, device);
            messages.emplace_back(request.begin(), request.end());
        }
    }
    return messages;
}

void InstrumentSearch::start(ProgressHandler progress, DoneHandler done)
{
    wait();
    {
        std::lock_guard lock(mutex_);
        cancelled_ = false;
        answer_.reset();
        tryingOutput_ = -1;
    }
    thread_ = std::thread([this, progress = std::move(progress), done = std::move(done)] { run(progress, done); });
}

void InstrumentSearch::cancel()
{
    {
        std::lock_guard lock(mutex_);
        cancelled_ = true;
    }
    woken_.notify_all();
}

void InstrumentSearch::wait()
{
    if (thread_.joinable())
        thread_.join();
}

bool InstrumentSearch::waitForAnswer(std::chrono::steady_clock::time_point deadline)
{
    std::unique_lock lock(mutex_);
    woken_.wait_until(lock, deadline, [this] { return cancelled_ || answer_.has_value(); });
    return answer_.has_value();
}

void InstrumentSearch::run(const ProgressHandler& progress, const DoneHandler& done)
{
    SearchResult result;
    const auto cancelled = [this] {
        std::lock_guard lock(mutex_);
        return cancelled_;
    };

    // Every input listens from the start, each through a client of its own,
    // since a backend opens one input at a time.
    std::vector<std::unique_ptr<MidiBackend>> listeners;
    for (std::size_t i = 0; i < inputs_.size() && !cancelled(); ++i) {
        std::unique_ptr<MidiBackend> backend = factory_(clientStem_ + "-find-in" + std::to_string(i + 1));
        const int index = findDevice(backend->inputNames(), PortChoice{inputs_[i], -1});
        if (index < 0) {
            result.failedInputs.emplace_back(inputs_[i], "it is no longer there");
            continue;
        }
        const int input = static_cast<int>(i);
        const MidiError error = backend->openInput(index, [this, input](const std::uint8_t* data, std::size_t size) {
            const std::optional<DumpLayout> layout = voiceDumpLayout(data, size);
            if (!layout)
                return;
            {
                std::lock_guard lock(mutex_);
                // A dump before the first request was asked for by nobody.
                if (answer_ || tryingOutput_ < 0)
                    return;
                answer_ = Answer{input, tryingOutput_, data[kDeviceByte] & 0x0F, *layout};
            }
            woken_.notify_all();
        });
        if (error) {
            result.failedInputs.emplace_back(inputs_[i], *error);
            continue;
        }
        listeners.push_back(std::move(backend));
        ++result.inputsOpen;
    }

    std::unique_ptr<MidiBackend> sender = factory_(clientStem_ + "-find");
    const auto messages = requests();
    const int count = static_cast<int>(outputs_.size());
    for (int k = 0; k < count && !cancelled(); ++k) {
        const std::string& name = outputs_[static_cast<std::size_t>(k)];
        if (progress)
            progress(k, count, name);
        if (cancelled())
            break;
        const int index = findDevice(sender->outputNames(), PortChoice{name, -1});
        if (index < 0) {
            result.failedOutputs.emplace_back(name, "it is no longer there");
            continue;
        }
        if (MidiError error = sender->openOutput(index)) {
            result.failedOutputs.emplace_back(name, *error);
            continue;
        }
        {
            std::lock_guard lock(mutex_);
            tryingOutput_ = k;
        }
        MidiError sendError;
        for (const auto& message : messages) {
            if (cancelled() || (sendError = sender->send(message.data(), message.size())))
                break;
        }
        if (sendError) {
            result.failedOutputs.emplace_back(name, *sendError);
        } else {
            result.tried.push_back(name);
            waitForAnswer(std::chrono::steady_clock::now() + replyWait_);
        }
        sender->closeOutput();
        std::lock_guard lock(mutex_);
        if (answer_)
            break;
    }

    // Nothing of the search stays open once it has said how it ended.
    sender.reset();
    listeners.clear();

    {
        std::lock_guard lock(mutex_);
        if (answer_) {
            result.outcome = SearchResult::Outcome::Found;
            result.input = inputs_[static_cast<std::size_t>(answer_->input)];
            result.output = outputs_[static_cast<std::size_t>(answer_->output)];
            result.device = answer_->device;
            result.layout = answer_->layout;
        } else {
            result.outcome = cancelled_ ? SearchResult::Outcome::Cancelled : SearchResult::Outcome::NothingFound;
        }
    }
    if (done)
        done(result);
}

} // namespace morvane
