// Every named field of a voice with its stored range, in record order, as one
// walk that tools and checks share. A visitor provides:
//   group(name, body)                         a nested record; call body()
//   field(name, value&, min, max)             one integer field
//   text(name, char* chars, size)             the voice name
//   steps(name, value* array, count, min, max) a vector's 50 entries
// Fields that an element kind does not use are not visited.
// Every named field of a voice with its stored range, in record order, as one
// walk that tools and checks share. A visitor provides:
//   group(name, body)                         a nested record; call body()
//   field(name, value&, min, max)             one integer field
//   text(name, char* chars, size)             the voice name
//   steps(name, value* array, count, min, max) a vector's 50 entries
// Fields that an element kind does not use are not visited. The walk, the
// names and the ranges come from the field table (VoiceLayout.h).
#pragma once

#include "VoiceLayout.h"
#include "VoiceParameters.h"

#include <string>
#include <string_view>

namespace morvane {

namespace detail {

template <typename Visitor>
struct NamedFieldWalk {
    VoiceParameters& voice;
    Visitor& visitor;

    void group(const char* name, auto body) { visitor.group(name, body); }
    template <typename R, std::size_t N>
    void rows(const std::array<Field<R>, N>& table, std::size_t, auto get)
    {
        R& record = get(voice);
        for (const Field<R>& f : table) {
            if (!f.named)
                continue;
            const char* key = f.key.data();  // the keys are literals
            if (f.member.chars)
                visitor.text(key, record.*f.member.chars, kNameSize);
            else if (f.member.u8s)
                visitor.steps(key, record.*f.member.u8s, f.count, f.min, f.max);
            else if (f.member.s32s)
                visitor.steps(key, record.*f.member.s32s, f.count, f.min, f.max);
            else
                withMember(record, f.member, 0, [&](auto& value) { visitor.field(key, value, f.min, f.max); });
        }
    }
};

// What the table says about a field, found by its key or its address.
struct RowFacts {
    std::string_view key;
    std::string_view words;
    int min = 0, max = -1;
    FieldKind kind = FieldKind::Number;
    ShownForm shown = kAsStored;
    bool found() const { return max >= min; }
    template <typename R>
    void take(const Field<R>& f)
    {
        key = f.key;
        words = f.words;
        min = f.min;
        max = f.max;
        kind = f.kind;
        shown = f.shown;
    }
};

// Finds the named field with a key.
struct KeyFinder {
    std::string_view key;
    RowFacts facts;
    constexpr void group(const char*, auto body)
    {
        if (!facts.found())
            body();
    }
    template <typename R, std::size_t N>
    constexpr void rows(const std::array<Field<R>, N>& table, std::size_t, auto)
    {
        for (const Field<R>& f : table)
            if (!facts.found() && f.named && f.key == key)
                facts.take(f);
    }
};

} // namespace detail

template <typename Visitor>
void visitVoice(VoiceParameters& voice, Visitor& v)
{
    detail::NamedFieldWalk<Visitor> walk{voice, v};
    walkVoiceLayout(walk, DumpLayout::Sy);
}

// What the table says about the named field with a key ("attackRate"); an
// empty range when no named field has it. Fields of one key mean the same
// wherever they are.
inline detail::RowFacts fieldFacts(std::string_view key)
{
    detail::KeyFinder finder{key, {}};
    walkVoiceLayout(finder, DumpLayout::Sy);
    return finder.facts;
}

namespace detail {

// A visitor that keeps the place it is at, as "elementA.envelope.", while it
// walks through the nested records.
struct PathVisitor {
    std::string path;
    void group(const char* name, auto body)
    {
        const std::size_t length = path.size();
        path += name;
        path += '.';
        body();
        path.resize(length);
    }
};

struct RangeChecker : PathVisitor {
    std::string fault;
    void field(const std::string& name, auto value, int min, int max)
    {
        if (fault.empty() && (value < min || value > max))
            fault = path + name + " = " + std::to_string(value) + " (" + std::to_string(min) + ".."
                    + std::to_string(max) + ")";
    }
    void text(const char* name, const char* chars, std::size_t size)
    {
        for (std::size_t i = 0; i < size && fault.empty(); ++i)
            if (static_cast<unsigned char>(chars[i]) > 0x7F)
                fault = path + name + " holds a character outside 7-bit ASCII";
    }
    void steps(const char* name, const auto* values, int count, int min, int max)
    {
        for (int i = 0; i < count; ++i)
            field(std::string(name) + "[" + std::to_string(i) + "]", values[i], min, max);
    }
};

// Finds the named field at one address, with its path and what the table
// says about it.
struct FieldLocator {
    VoiceParameters& voice;
    const void* address;
    std::string path;
    RowFacts facts;
    void group(const char* name, auto body)
    {
        if (facts.found())
            return;
        const std::size_t length = path.size();
        path += name;
        path += '.';
        body();
        if (!facts.found())
            path.resize(length);
    }
    template <typename R, std::size_t N>
    void rows(const std::array<Field<R>, N>& table, std::size_t, auto get)
    {
        R& record = get(voice);
        for (const Field<R>& f : table) {
            if (facts.found() || !f.named || f.member.chars)
                continue;
            for (int i = 0; i < f.count && !facts.found(); ++i)
                withMember(record, f.member, i, [&](auto& value) {
                    if (static_cast<const void*>(&value) == address) {
                        path += f.key;
                        if (f.count > 1)
                            path += "[" + std::to_string(i) + "]";
                        facts.take(f);
                    }
                });
        }
    }
};

} // namespace detail

// A field of the voice found by its address: its place, as
// "elementA.envelope.attackRate", its stored range, the words a user reads
// for it ("Attack rate") and how the windows show it.
struct FieldInfo {
    std::string path;
    int min;
    int max;
    std::string words;
    ShownForm shown = kAsStored;
};

// The named field that `field` points at inside `voice`, or an empty
// path with an empty range when no named field lives there.
inline FieldInfo findField(VoiceParameters& voice, const void* field)
{
    detail::FieldLocator locator{voice, field, {}, {}};
    walkVoiceLayout(locator, DumpLayout::Sy);
    if (!locator.facts.found())
        return {{}, 0, -1, {}, kAsStored};
    return {locator.path, locator.facts.min, locator.facts.max, std::string(locator.facts.words), locator.facts.shown};
}

// The first field outside its range, as "elementB.carrier.level = 200 (0..127)",
// or an empty text when every field is within its range.
inline std::string findFieldOutOfRange(const VoiceParameters& voice)
{
    detail::RangeChecker checker;
    VoiceParameters copy = voice;
    visitVoice(copy, checker);
    return checker.fault;
}

} // namespace morvane
