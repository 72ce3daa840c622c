#include "diag/collect/command_runner.h"

#include "common/log.h"
#include "diag/collect/command_output.h"

#include <windows.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

namespace {

// How long to wait for the reader to notice the end of the output once the
// command's processes have been ended.
constexpr DWORD kDrainAfterKillMs = 10000;

class Handle
{
public:
    Handle() = default;
    explicit Handle(HANDLE h) : m_h(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    ~Handle() { reset(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return m_h; }
    HANDLE* out() { reset(); return &m_h; }
    HANDLE release() { HANDLE h = m_h; m_h = nullptr; return h; }
    void reset(HANDLE h = nullptr)
    {
        if (m_h)
            CloseHandle(m_h);
        m_h = h;
    }
    explicit operator bool() const { return m_h != nullptr; }

private:
    HANDLE m_h = nullptr;
};

// What the reader thread and the caller share. The reader owns the pipe's read
// end and closes it when it stops; if the caller ever has to give up on the
// reader, the reader's reference keeps this alive until it ends on its own.
struct PipeReader
{
    HANDLE pipe = nullptr;
    std::mutex lock;
    std::string bytes;
};

DWORD WINAPI read_pipe(void* parameter)
{
    std::unique_ptr<std::shared_ptr<PipeReader>> owner(static_cast<std::shared_ptr<PipeReader>*>(parameter));
    PipeReader& reader = **owner;
    std::vector<char> chunk(8192);
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(reader.pipe, chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr) || got == 0)
            break;
        std::lock_guard<std::mutex> guard(reader.lock);
        reader.bytes.append(chunk.data(), got);
    }
    CloseHandle(reader.pipe);
    return 0;
}

// Milliseconds left until `deadline` (a GetTickCount64 value), INFINITE without one.
DWORD remaining(ULONGLONG deadline, bool bounded)
{
    if (!bounded)
        return INFINITE;
    ULONGLONG now = GetTickCount64();
    if (now >= deadline)
        return 0;
    ULONGLONG left = deadline - now;
    return left >= INFINITE ? INFINITE - 1 : static_cast<DWORD>(left);
}

// Lets the processes of a job live on when its handle is closed: a command that
// finished in time may leave processes of its own behind, and they are not ours
// to end. Only the time bound ends a command's process tree.
void release_job(HANDLE job)
{
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    if (!SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof(limits)))
        SCLOG(3, L"job of a finished command could not be released (%d)", static_cast<int>(GetLastError()));
}

// A job that ends every process in it when it is closed or terminated; children
// of the command join it by default, so the whole tree can be ended at once.
HANDLE create_kill_on_close_job()
{
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    if (!job)
        return nullptr;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof(limits))) {
        CloseHandle(job);
        return nullptr;
    }
    return job;
}

// Attributes of a child's creation: the handles it may inherit and, where the
// system allows (Windows 10 and later), the job it starts in.
class CreationAttributes {
public:
    CreationAttributes(HANDLE* inherited, HANDLE* job)
    {
        SIZE_T size = 0;
        InitializeProcThreadAttributeList(nullptr, 2, 0, &size);
        m_buffer.resize(size);
        auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(m_buffer.data());
        if (size == 0 || !InitializeProcThreadAttributeList(list, 2, 0, &size))
            return;
        m_list = list;
        m_handles = UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, inherited, sizeof(HANDLE),
                                              nullptr, nullptr) != 0;
        m_job = job && *job &&
                UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_JOB_LIST, job, sizeof(HANDLE), nullptr,
                                          nullptr) != 0;
    }
    ~CreationAttributes()
    {
        if (m_list)
            DeleteProcThreadAttributeList(m_list);
    }
    CreationAttributes(const CreationAttributes&) = delete;
    CreationAttributes& operator=(const CreationAttributes&) = delete;

    LPPROC_THREAD_ATTRIBUTE_LIST list() const { return m_list; }
    bool any() const { return m_list && (m_handles || m_job); }
    bool starts_in_job() const { return m_job; }

private:
    std::vector<char> m_buffer;
    LPPROC_THREAD_ATTRIBUTE_LIST m_list = nullptr;
    bool m_handles = false;
    bool m_job = false;
};

// Starts `command_line` with `output` as its standard output and error. The child
// is in `job` before it runs a single instruction where the system allows it;
// otherwise it starts suspended, joins the job, then runs. Only the output pipe
// is inherited, so that a command started on another thread at the same moment
// cannot keep this one's output open. False when the job could not take it
// (the caller then ends the interpreter alone).
// The commands collect in the background while the user works with the window
// and the checks run: they yield the processor to both.
const DWORD kBackgroundPriority = BELOW_NORMAL_PRIORITY_CLASS;

bool start_child(std::vector<wchar_t>& command_line, HANDLE output, HANDLE job, PROCESS_INFORMATION& process,
                 bool& started)
{
    STARTUPINFOEXW startup = {};
    startup.StartupInfo.cb = sizeof(startup);
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.StartupInfo.hStdInput = nullptr;
    startup.StartupInfo.hStdOutput = output;
    startup.StartupInfo.hStdError = output;
    startup.StartupInfo.wShowWindow = SW_HIDE;

    HANDLE inherited = output;
    HANDLE job_handle = job;
    {
        CreationAttributes attributes(&inherited, &job_handle);
        if (attributes.any() && attributes.starts_in_job()) {
            startup.lpAttributeList = attributes.list();
            started = CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, TRUE,
                                     CREATE_NO_WINDOW | kBackgroundPriority | EXTENDED_STARTUPINFO_PRESENT, nullptr, nullptr,
                                     &startup.StartupInfo, &process) != 0;
            if (started)
                return true;
        }
    }
    // The job list is not offered (or the job may not be nested here): join afterwards.
    CreationAttributes attributes(&inherited, nullptr);
    DWORD flags = CREATE_NO_WINDOW | kBackgroundPriority | CREATE_SUSPENDED;
    startup.lpAttributeList = nullptr;
    if (attributes.any()) {
        startup.lpAttributeList = attributes.list();
        flags |= EXTENDED_STARTUPINFO_PRESENT;
    }
    started = CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, TRUE, flags, nullptr, nullptr,
                             &startup.StartupInfo, &process) != 0;
    if (!started)
        return false;
    bool joined = job && AssignProcessToJobObject(job, process.hProcess);
    ResumeThread(process.hThread);
    return joined;
}

} // namespace

CommandResult run_command(const std::wstring& command, std::uint32_t timeout_ms)
{
    CommandResult result;
    result.timeout_ms = timeout_ms;

    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    Handle read_end, write_end;
    if (!CreatePipe(read_end.out(), write_end.out(), &inherit, 0))
        return result;
    // Only the write end goes to the child; the read end must not keep the pipe
    // open in the child, or the end of the output would never be seen.
    SetHandleInformation(read_end.get(), HANDLE_FLAG_INHERIT, 0);

    std::wstring line = console_command_line(command);
    std::vector<wchar_t> buffer(line.begin(), line.end());
    buffer.push_back(L'\0');

    Handle job(create_kill_on_close_job());
    PROCESS_INFORMATION process = {};
    bool started = false;
    bool in_job = start_child(buffer, write_end.get(), job.get(), process, started);
    // From here only the child (and what it starts) holds the write end, so the
    // pipe ends when they have all closed it.
    write_end.reset();
    if (!started)
        return result;
    result.started = true;
    Handle process_handle(process.hProcess);
    Handle thread_handle(process.hThread);
    if (!in_job)
        job.reset();  // e.g. a job of our own that forbids it: end the interpreter alone

    auto reader = std::make_shared<PipeReader>();
    reader->pipe = read_end.release();
    auto* reader_ref = new std::shared_ptr<PipeReader>(reader);
    Handle reader_thread(CreateThread(nullptr, 0, read_pipe, reader_ref, 0, nullptr));
    if (!reader_thread) {
        // Read on this thread instead; no bound is possible then.
        read_pipe(reader_ref);
    }

    bool bounded = timeout_ms != kNoCommandTimeout;
    ULONGLONG deadline = GetTickCount64() + timeout_ms;
    bool finished = true;
    if (reader_thread && WaitForSingleObject(reader_thread.get(), remaining(deadline, bounded)) != WAIT_OBJECT_0)
        finished = false;
    // Output has ended; the interpreter may still be running.
    if (finished && WaitForSingleObject(process_handle.get(), remaining(deadline, bounded)) != WAIT_OBJECT_0)
        finished = false;

    if (!finished) {
        result.timed_out = true;
        if (job)
            TerminateJobObject(job.get(), ERROR_TIMEOUT);
        else
            TerminateProcess(process_handle.get(), ERROR_TIMEOUT);
        if (reader_thread && WaitForSingleObject(reader_thread.get(), kDrainAfterKillMs) != WAIT_OBJECT_0) {
            // Something outside the job still holds the pipe: stop the blocked read.
            CancelSynchronousIo(reader_thread.get());
            if (WaitForSingleObject(reader_thread.get(), kDrainAfterKillMs) != WAIT_OBJECT_0)
                SCLOG(3, L"output of a command that ran over its time stays open; keeping what was read: %s",
                      command.c_str());
        }
        WaitForSingleObject(process_handle.get(), kDrainAfterKillMs);
        SCLOG(3, L"command ran over %u ms and was ended with its child processes: %s", timeout_ms, command.c_str());
    } else if (job) {
        release_job(job.get());
    }

    DWORD exit_code = 0;
    if (!result.timed_out && GetExitCodeProcess(process_handle.get(), &exit_code) && exit_code != STILL_ACTIVE)
        result.exit_code = static_cast<std::int64_t>(exit_code);

    std::string bytes;
    {
        std::lock_guard<std::mutex> guard(reader->lock);
        bytes = reader->bytes;
    }
    result.output = decode_command_output(bytes);
    return result;
}

std::wstring run_console_command(const std::wstring& command, std::uint32_t timeout_ms)
{
    CommandResult result = run_command(command, timeout_ms);
    return with_timeout_note(result, result.output);
}
