#include "diag/archive/block_deflate.h"

#include <zlib.h>

#include <algorithm>

namespace vantu::zip {

void BlockJob::wait()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_done_cv.wait(lock, [this] { return m_done; });
}

void BlockJob::mark_done()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_done = true;
    }
    m_done_cv.notify_all();
}

void compress_block(BlockJob& job)
{
    const unsigned char* data = job.input.data() + job.dictionary;
    const std::size_t size = job.data_size();
    job.crc = static_cast<std::uint32_t>(crc32(0L, data, static_cast<uInt>(size)));
    job.ok = false;
    if (job.stored) {
        job.output.assign(data, data + size);
        job.ok = true;
        return;
    }
    z_stream z{};
    if (deflateInit2(&z, job.level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return;
    if (job.dictionary > 0 &&
        deflateSetDictionary(&z, job.input.data(), static_cast<uInt>(job.dictionary)) != Z_OK) {
        deflateEnd(&z);
        return;
    }
    // Room for the worst case plus the sync flush's empty stored block.
    job.output.resize(deflateBound(&z, static_cast<uLong>(size)) + 64);
    z.next_in = const_cast<unsigned char*>(data);
    z.avail_in = static_cast<uInt>(size);
    const int flush = job.last ? Z_FINISH : Z_SYNC_FLUSH;
    std::size_t produced = 0;
    int rc = Z_OK;
    for (;;) {
        z.next_out = job.output.data() + produced;
        z.avail_out = static_cast<uInt>(job.output.size() - produced);
        rc = deflate(&z, flush);
        produced = job.output.size() - z.avail_out;
        if (rc == Z_STREAM_ERROR)
            break;
        const bool finished = job.last ? rc == Z_STREAM_END : (z.avail_in == 0 && z.avail_out > 0);
        if (finished)
            break;
        job.output.resize(job.output.size() * 2);
    }
    deflateEnd(&z);
    if (rc == Z_STREAM_ERROR)
        return;
    job.output.resize(produced);
    job.ok = true;
}

DeflatePool::DeflatePool(unsigned threads)
{
    for (unsigned i = 0; i < std::max(1u, threads); ++i)
        m_workers.emplace_back([this] { work(); });
}

DeflatePool::~DeflatePool()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_cv.notify_all();
    for (std::thread& t : m_workers)
        t.join();
}

void DeflatePool::submit(std::shared_ptr<BlockJob> job)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_queue.push_back(std::move(job));
    }
    m_cv.notify_one();
}

void DeflatePool::work()
{
    for (;;) {
        std::shared_ptr<BlockJob> job;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_cv.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
            if (m_queue.empty())
                return;
            job = std::move(m_queue.front());
            m_queue.pop_front();
        }
        compress_block(*job);
        job->mark_done();
    }
}

} // namespace vantu::zip
