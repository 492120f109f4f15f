#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

// The bodies of the fuzz targets. Each takes one input as libFuzzer hands it
// over and answers 0; a broken promise of the code under test aborts with a
// message (FUZZ_CHECK), which libFuzzer reports as a finding. The same
// bodies replay the committed corpora in the normal test suite
// (tests/hardening/tst_FuzzReplay.cpp), so every finding stays a regression test.
namespace quaverly::fuzz {

using FuzzFn = int (*)(const std::uint8_t* data, std::size_t size);

int fuzzIniFile(const std::uint8_t* data, std::size_t size);
int fuzzFileName(const std::uint8_t* data, std::size_t size);
int fuzzSysinfo(const std::uint8_t* data, std::size_t size);
int fuzzSysInfoExtended(const std::uint8_t* data, std::size_t size);
int fuzzITunesDB(const std::uint8_t* data, std::size_t size);
int fuzzITunesCDB(const std::uint8_t* data, std::size_t size);
int fuzzOnTheGo(const std::uint8_t* data, std::size_t size);
int fuzzPlayCounts(const std::uint8_t* data, std::size_t size);

/// Prints what failed and aborts.
[[noreturn]] void checkFailed(const char* condition, const char* file, int line);

} // namespace quaverly::fuzz

#define FUZZ_CHECK(condition)                                                                                          \
    ((condition) ? static_cast<void>(0) : ::quaverly::fuzz::checkFailed(#condition, __FILE__, __LINE__))
