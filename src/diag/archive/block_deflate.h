// Compression of one file as blocks on worker threads, joined into a single
// Deflate stream, as parallel gzip tools do: each block's dictionary is primed
// with the 32 KiB of data before it, every block but the last ends with a sync
// flush (so it ends on a byte boundary and the next can follow it), and the last
// block finishes the stream. Each block's CRC-32 is computed beside it; the
// writer joins them with crc32_combine. Stock inflate reads the result as one
// ordinary raw Deflate stream.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace vantu::zip {

// Deflate's window: the most a block can refer back to.
inline constexpr std::size_t kDictionaryBytes = 32 * 1024;

struct BlockJob
{
    // The previous block's last kDictionaryBytes (or fewer), then this block's data.
    std::vector<unsigned char> input;
    std::size_t dictionary = 0;
    bool last = false;
    bool stored = false; // copied as it is (stored entries)
    int level = 8;

    // Filled by compress_block.
    std::vector<unsigned char> output;
    std::uint32_t crc = 0;
    bool ok = false;

    std::size_t data_size() const { return input.size() - dictionary; }
    // Blocks until a worker has compressed it.
    void wait();
    void mark_done();

private:
    std::mutex m_mutex;
    std::condition_variable m_done_cv;
    bool m_done = false;
};

// Compresses job.input after its dictionary into job.output and sets crc and ok.
void compress_block(BlockJob& job);

// A fixed set of worker threads compressing blocks in the order given.
class DeflatePool
{
public:
    explicit DeflatePool(unsigned threads);
    ~DeflatePool(); // finishes the queued blocks, then joins
    DeflatePool(const DeflatePool&) = delete;
    DeflatePool& operator=(const DeflatePool&) = delete;

    void submit(std::shared_ptr<BlockJob> job);
    unsigned threads() const { return static_cast<unsigned>(m_workers.size()); }

private:
    void work();

    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::deque<std::shared_ptr<BlockJob>> m_queue;
    bool m_stopping = false;
    std::vector<std::thread> m_workers;
};

} // namespace vantu::zip
