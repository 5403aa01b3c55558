#include "VoiceJson.h"

#include "Multi.h"
#include "VoiceFields.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <vector>

namespace morvane {

namespace {

// Writes fields in record order, which a QJsonObject would not keep.
class JsonWriter {
public:
    std::string out;

    void group(const char* name, auto body)
    {
        key(name);
        out += "{\n";
        ++depth_;
        first_ = true;
        body();
        --depth_;
        out += '\n';
        indent();
        out += '}';
        first_ = false;
    }
    void field(const char* name, auto value, int, int)
    {
        key(name);
        out += std::to_string(static_cast<int>(value));
    }
    void text(const char* name, const char* chars, std::size_t size)
    {
        key(name);
        out += '"';
        for (std::size_t i = 0; i < size && chars[i] != '\0'; ++i) {
            const unsigned char ch = static_cast<unsigned char>(chars[i]);
            if (ch == '"' || ch == '\\') {
                out += '\\';
                out += static_cast<char>(ch);
            } else if (ch < 0x20 || ch > 0x7E) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", ch);
                out += escaped;
            } else {
                out += static_cast<char>(ch);
            }
        }
        out += '"';
    }
    void steps(const char* name, const auto* values, int count, int, int)
    {
        key(name);
        out += '[';
        for (int i = 0; i < count; ++i) {
            if (i > 0)
                out += ", ";
            out += std::to_string(static_cast<int>(values[i]));
        }
        out += ']';
    }

private:
    void key(const char* name)
    {
        if (!first_)
            out += ",\n";
        first_ = false;
        indent();
        out += '"';
        out += name;
        out += "\": ";
    }
    void indent() { out.append(2 * depth_, ' '); }

    int depth_ = 1;
    bool first_ = true;
};

struct JsonError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Reads fields present in the JSON; every key must name a field.
class JsonReader {
public:
    explicit JsonReader(const QJsonObject& root) { stack_.push_back({root, "", {}}); }

    void group(const char* name, auto body)
    {
        const QJsonValue value = take(name);
        if (value.isUndefined())
            return;
        if (!value.isObject())
            throw JsonError(path(name) + " must be an object");
        stack_.push_back({value.toObject(), path(name) + ".", {}});
        body();
        finishObject();
    }
    template <typename T>
    void field(const char* name, T& target, int min, int max)
    {
        const QJsonValue value = take(name);
        if (!value.isUndefined())
            target = static_cast<T>(integer(value, path(name), min, max));
    }
    void text(const char* name, char* chars, std::size_t size)
    {
        const QJsonValue value = take(name);
        if (value.isUndefined())
            return;
        if (!value.isString())
            throw JsonError(path(name) + " must be a string");
        const QString text = value.toString();
        if (static_cast<std::size_t>(text.size()) > size)
            throw JsonError(path(name) + " has more than " + std::to_string(size) + " characters");
        for (QChar ch : text)
            if (ch.unicode() < 0x20 || ch.unicode() > 0x7E)
                throw JsonError(path(name) + " may hold printable ASCII characters only");
        // Short names are padded with spaces, as the instrument shows them.
        for (std::size_t i = 0; i < size; ++i)
            chars[i] = i < static_cast<std::size_t>(text.size()) ? static_cast<char>(text[i].unicode()) : ' ';
    }
    template <typename T>
    void steps(const char* name, T* values, int count, int min, int max)
    {
        const QJsonValue value = take(name);
        if (value.isUndefined())
            return;
        const QJsonArray array = value.toArray();
        if (!value.isArray() || array.size() != count)
            throw JsonError(path(name) + " must be an array of " + std::to_string(count) + " numbers");
        for (int i = 0; i < count; ++i)
            values[i] = static_cast<T>(integer(array[i], path(name) + "[" + std::to_string(i) + "]", min, max));
    }

    void finishObject()
    {
        const Level& level = stack_.back();
        for (auto it = level.object.begin(); it != level.object.end(); ++it)
            if (!level.seen.contains(it.key()))
                throw JsonError("unknown field " + level.prefix + it.key().toStdString());
        stack_.pop_back();
    }

private:
    struct Level {
        QJsonObject object;
        std::string prefix;
        QSet<QString> seen;
    };

    QJsonValue take(const char* name)
    {
        Level& level = stack_.back();
        level.seen.insert(QString::fromLatin1(name));
        return level.object.value(QLatin1String(name));
    }
    std::string path(const char* name) const { return stack_.back().prefix + name; }

    static int integer(const QJsonValue& value, const std::string& where, int min, int max)
    {
        const double number = value.toDouble();
        if (!value.isDouble() || number != std::trunc(number))
            throw JsonError(where + " must be a whole number");
        // Compared as a double first: converting one outside int's range is undefined.
        if (number < min || number > max)
            throw JsonError(where + " = " + QString::number(number).toStdString() + " is outside "
                            + std::to_string(min) + ".." + std::to_string(max));
        return static_cast<int>(number);
    }

    std::vector<Level> stack_;
};

// Every row of a multi, as the voice walk gives a voice's: the common part
// and the sixteen parts, each with the bytes it keeps as they came.
template <typename Visitor>
void visitMulti(Multi& multi, Visitor& v)
{
    static constexpr std::array<const char*, kMultiParts> kPartKeys{
        "part1", "part2", "part3",  "part4",  "part5",  "part6",  "part7",  "part8",
        "part9", "part10", "part11", "part12", "part13", "part14", "part15", "part16"};
    auto rows = [&v](const auto& table, auto& values, std::size_t firstKept, char* name) {
        auto some = [&](std::size_t from, std::size_t to) {
            for (std::size_t i = from; i < to; ++i) {
                const char* key = table[i].key.data();  // the keys are literals
                if (table[i].place.packing == Packing::Text)
                    v.text(key, name, table[i].place.bits);
                else
                    v.field(key, values[i], table[i].min, table[i].max);
            }
        };
        some(0, firstKept);
        v.group("kept", [&] { some(firstKept, table.size()); });
    };
    v.group("multi", [&] {
        v.group("common", [&] {
            rows(kMultiCommonRows, multi.common, rowIndex(MultiField::FirstKept), multi.name.data());
        });
        for (std::size_t p = 0; p < kPartKeys.size(); ++p)
            v.group(kPartKeys[p], [&] {
                rows(kMultiPartRows, multi.parts[p].values, rowIndex(PartField::FirstKept), nullptr);
            });
    });
}

// Writes a record as a JSON object with `visit` (which walks a copy).
template <typename R>
std::string toJson(R record, void (*visit)(R&, JsonWriter&))
{
    JsonWriter writer;
    writer.out = "{\n";
    visit(record, writer);
    writer.out += "\n}\n";
    return writer.out;
}

// Reads a JSON object with `visit`, all or nothing.
template <typename R>
std::string fromJson(const std::string& json, R& record, void (*visit)(R&, JsonReader&))
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(json), &parseError);
    if (document.isNull())
        return "not valid JSON: " + parseError.errorString().toStdString() + " at offset "
               + std::to_string(parseError.offset);
    if (!document.isObject())
        return "the JSON must be an object";
    R result = record;
    try {
        JsonReader reader(document.object());
        visit(result, reader);
        reader.finishObject();
    } catch (const JsonError& error) {
        return error.what();
    }
    record = result;
    return {};
}

} // namespace

std::string multiToJson(const Multi& multi)
{
    return toJson<Multi>(multi, [](Multi& m, JsonWriter& w) { visitMulti(m, w); });
}

std::string multiFromJson(const std::string& json, Multi& multi)
{
    return fromJson<Multi>(json, multi, [](Multi& m, JsonReader& r) { visitMulti(m, r); });
}

bool isMultiJson(const std::string& json)
{
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(json));
    return document.isObject() && document.object().contains(QLatin1String("multi"));
}

std::string voiceToJson(const VoiceParameters& voice)
{
    return toJson<VoiceParameters>(voice, [](VoiceParameters& v, JsonWriter& w) { visitVoice(v, w); });
}

std::string voiceFromJson(const std::string& json, VoiceParameters& voice)
{
    return fromJson<VoiceParameters>(json, voice, [](VoiceParameters& v, JsonReader& r) { visitVoice(v, r); });
}

} // namespace morvane
