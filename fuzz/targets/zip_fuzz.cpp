// File and folder names of any kind (from the product's folders and the user's
// disk) and file contents of any kind packed into the log archive.
#include "fuzz_input.h"
#include "fuzz_targets.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "diag/archive/zip_platform.h"
#include "diag/archive/zip_records.h"
#include "diag/archive/zip_writer.h"

using namespace vantu::zip;

namespace {

class MemorySource : public SourceFile
{
public:
    explicit MemorySource(std::string_view bytes) : m_bytes(bytes) {}
    bool read(unsigned char* buffer, std::size_t capacity, std::size_t& got) override
    {
        got = std::min(capacity, m_bytes.size());
        std::copy_n(m_bytes.data(), got, buffer);
        m_bytes.remove_prefix(got);
        return true;
    }

private:
    std::string_view m_bytes;
};

std::string archive_path()
{
    const char* folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return std::string(folder) + "/vantu_fuzz_zip_" + std::to_string(getpid()) + ".zip";
}

} // namespace

int fuzz_zip(const std::uint8_t* data, std::size_t size)
{
    FuzzInput in(data, size);
    const std::uint8_t flags = in.byte();
    const std::int64_t modified = static_cast<std::int64_t>(in.u64());
    const std::uint32_t attributes = static_cast<std::uint32_t>(in.u64());
    const std::uint8_t size_change = in.byte();
    const std::wstring file_name = in.wide_part();
    const std::wstring folder_name = in.wide_part();
    const std::string_view content = in.rest();

    std::uint16_t dos_date = 0, dos_time = 0;
    dos_date_time(modified, dos_date, dos_time);
    external_attributes(attributes);
    is_stored_by_name(file_name);

    // Names the code page cannot hold go as UTF-8, and then must be valid UTF-8.
    const NameEncoder no_code_page = [](const std::wstring&) { return std::optional<std::string>(); };
    const EncodedName as_utf8 = encode_entry_name(file_name, no_code_page);
    FUZZ_REQUIRE(as_utf8.utf8 || as_utf8.bytes.empty() || file_name.empty());
    const EncodedName as_ansi = encode_entry_name(file_name, {});
    FUZZ_REQUIRE(as_ansi.bytes.find('\\') == std::string::npos);

    ZipOptions options;
    options.level = (flags & 1) ? 0 : 8;
    if (flags & 2)
        options.encode_name = no_code_page;
    // The stamp's size is what the file had when it was opened; the content may
    // have grown or shrunk since.
    const std::uint64_t stamp_size = (flags & 4) ? content.size() + size_change : content.size() / (1 + size_change);
    options.open_file = [&](const std::wstring&) -> std::unique_ptr<SourceFile> {
        auto source = std::make_unique<MemorySource>(content);
        source->stamp = FileStamp{stamp_size, modified, modified, modified, attributes};
        return source;
    };

    const std::string path = archive_path();
    const std::wstring wide_path(path.begin(), path.end());
    {
        ZipArchivePtr archive = zip_create(wide_path, options);
        FUZZ_REQUIRE(archive != nullptr);
        int entries = 0;
        if (zip_add_folder(archive.get(), folder_name) == kZipOk)
            ++entries;
        if (zip_add_file(archive.get(), folder_name + L"\\" + file_name, L"source") == kZipOk)
            ++entries;
        if (zip_add_file(archive.get(), file_name, L"source") == kZipOk)
            ++entries;
        FUZZ_REQUIRE(zip_close(archive.get()) == kZipOk);

        // The end record is last and counts every entry that was added.
        std::ifstream file(path, std::ios::binary);
        const std::string written((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        FUZZ_REQUIRE(written.size() >= 22);
        const std::string_view end(written.data() + written.size() - 22, 22);
        FUZZ_REQUIRE(end.substr(0, 4) == std::string_view("PK\x05\x06", 4));
        const int count = static_cast<unsigned char>(end[10]) | (static_cast<unsigned char>(end[11]) << 8);
        FUZZ_REQUIRE(count == entries);
    }
    std::remove(path.c_str());
    return 0;
}
