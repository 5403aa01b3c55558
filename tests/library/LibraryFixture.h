// A temporary folder per test, with helpers to build library files byte by
// byte and to read them back.
#pragma once

#include "EncodedVoice.h"
#include "RandomVoice.h"
#include "VoiceData.h"
#include "VoiceLibrary.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

namespace morvane::test {

using Bytes = std::vector<std::uint8_t>;

class LibraryFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = std::filesystem::temp_directory_path()
              / ("morvane-library-" + std::to_string(::getpid()) + "-" + info->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::string pathOf(const std::string& name) const { return (dir / name).string(); }

    std::string write(const std::string& name, const Bytes& bytes) const
    {
        const std::string path = pathOf(name);
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        return path;
    }
    static Bytes read(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    // The 592-byte dump of a voice.
    static Bytes dumpOf(const VoiceParameters& voice) { return encodedVoice(voice); }
    static VoiceParameters namedVoice(const char (&name)[9], unsigned seed = 1)
    {
        VoiceParameters voice = RandomVoice(seed).make();
        std::memcpy(voice.common.name, name, 8);
        return voice;
    }
    static Bytes record(std::uint32_t mask, const VoiceParameters& voice)
    {
        Bytes bytes{static_cast<std::uint8_t>(mask), static_cast<std::uint8_t>(mask >> 8),
                    static_cast<std::uint8_t>(mask >> 16), static_cast<std::uint8_t>(mask >> 24)};
        const Bytes dump = dumpOf(voice);
        bytes.insert(bytes.end(), dump.begin(), dump.end());
        return bytes;
    }
    // "SYQVD" and `count` records with masks 1, 2, 4, ... and different voices.
    static Bytes library(int count, std::string_view magic = kLibraryMagic)
    {
        Bytes bytes(magic.begin(), magic.end());
        for (int n = 0; n < count; ++n) {
            const Bytes r = record(categoryBit(static_cast<std::size_t>(n) % kCategoryCount),
                                   RandomVoice(100 + static_cast<unsigned>(n)).make());
            bytes.insert(bytes.end(), r.begin(), r.end());
        }
        return bytes;
    }

    std::filesystem::path dir;
};

} // namespace morvane::test
