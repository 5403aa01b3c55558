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
    // Where a port is in a fresh list. A busy MIDI system now and then
    // gives a short list, so a port not found is looked for once more.
    const auto find = [](const std::string& name, const auto& list) {
        const int index = findDevice(list(), PortChoice{name, -1});
        if (index >= 0)
            return index;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        return findDevice(list(), PortChoice{name, -1});
    };
    const auto cancelled = [this] {
        std::lock_guard lock(mutex_);
        return cancelled_;
    };

    // Every input listens from the start, each through a client of its own,
    // since a backend opens one input at a time.
    std::vector<std::unique_ptr<MidiBackend>> listeners;
    for (std::size_t i = 0; i < inputs_.size() && !cancelled(); ++i) {
        std::unique_ptr<MidiBackend> backend = factory_(clientStem_ + "-find-in" + std::to_string(i + 1));
        const int index = find(inputs_[i], [&backend] { return backend->inputNames(); });
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

    // One output at a time. (Opening the next output on a second client
    // during the wait saved the connection time, but JACK then now and then
    // delivered the requests many times over.)
    std::unique_ptr<MidiBackend> sending = factory_(clientStem_ + "-find-out");
    const auto answered = [this] {
        std::lock_guard lock(mutex_);
        return answer_.has_value();
    };
    const int count = static_cast<int>(outputs_.size());
    int next = 0;
    // Opens the next output that opens on `sender`; an output that does not
    // is named in the result and skipped. -1 when none is left.
    const auto openNext = [&](MidiBackend& sender) {
        while (next < count && !cancelled()) {
            const int k = next++;
            const std::string& name = outputs_[static_cast<std::size_t>(k)];
            const int index = find(name, [&sender] { return sender.outputNames(); });
            if (index < 0) {
                result.failedOutputs.emplace_back(name, "it is no longer there");
                continue;
            }
            if (MidiError error = sender.openOutput(index)) {
                result.failedOutputs.emplace_back(name, *error);
                continue;
            }
            return k;
        }
        return -1;
    };

    const auto messages = requests();
    MidiBackend& sender = *sending;
    int current = openNext(sender);
    while (current >= 0) {
        const std::string& name = outputs_[static_cast<std::size_t>(current)];
        if (progress)
            progress(current, count, name);
        if (cancelled()) {
            sender.closeOutput();
            break;
        }
        {
            std::lock_guard lock(mutex_);
            tryingOutput_ = current;
        }
        // The requests go out at a MIDI cable's pace, as they would cross
        // it anyway: an interface is never handed a burst, and a connection
        // that the MIDI system makes live only after a while loses the
        // first few requests, not all of them. Once an answer is in, the
        // rest are not sent.
        MidiError sendError;
        std::chrono::steady_clock::time_point begun{};
        for (std::size_t m = 0; m < messages.size(); ++m) {
            if (m > 0 && (waitForAnswer(begun + m * kRequestTime) || cancelled()))
                break;
            if ((sendError = sender.send(messages[m].data(), messages[m].size())))
                break;
            if (m == 0)
                begun = std::chrono::steady_clock::now();
        }
        const auto deadline = begun + replyWait_;
        if (sendError)
            result.failedOutputs.emplace_back(name, *sendError);
        else
            result.tried.push_back(name);
        if (!sendError)
            waitForAnswer(deadline);
        sender.closeOutput();
        if (answered())
            break;
        current = openNext(sender);
    }

    // Nothing of the search stays open once it has said how it ended.
    sending.reset();
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
