// Entry functions of the fuzz targets, one per edge where outside data comes in.
// libFuzzer calls them through fuzz_main.cpp; the corpus replay test calls all.
#pragma once
#include <cstddef>
#include <cstdint>

int fuzz_checklist(const std::uint8_t* data, std::size_t size);
int fuzz_markup(const std::uint8_t* data, std::size_t size);
int fuzz_format(const std::uint8_t* data, std::size_t size);
int fuzz_text_file(const std::uint8_t* data, std::size_t size);
int fuzz_command_output(const std::uint8_t* data, std::size_t size);
int fuzz_channel(const std::uint8_t* data, std::size_t size);
int fuzz_zip(const std::uint8_t* data, std::size_t size);
int fuzz_http(const std::uint8_t* data, std::size_t size);
int fuzz_command_line(const std::uint8_t* data, std::size_t size);

struct FuzzTarget
{
    const char* name; // also the folder of its corpus
    int (*entry)(const std::uint8_t*, std::size_t);
};

inline constexpr FuzzTarget fuzz_targets[] = {
    {"checklist", fuzz_checklist},
    {"markup", fuzz_markup},
    {"format", fuzz_format},
    {"text_file", fuzz_text_file},
    {"command_output", fuzz_command_output},
    {"channel", fuzz_channel},
    {"zip", fuzz_zip},
    {"http", fuzz_http},
    {"command_line", fuzz_command_line},
};
