#pragma once
// A program run as a user runs it from a shell: its own process, standard
// input from a pipe (or closed, or /dev/null), standard output and error
// into files, an environment without a display. Waits are bounded.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace veltrin::test {

enum class ChildInput { Pipe, Closed, DevNull };

class ChildProcess {
public:
    ChildProcess(const std::vector<std::string>& args, const std::string& outPath, const std::string& errPath,
                 ChildInput input = ChildInput::DevNull)
        : outPath_(outPath), errPath_(errPath)
    {
        int fds[2] = {-1, -1};
        if (input == ChildInput::Pipe && ::pipe2(fds, O_CLOEXEC) != 0)
            return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::unsetenv("DISPLAY");
            ::unsetenv("WAYLAND_DISPLAY");
            // Output first: with standard input closed, a file opened later
            // would take descriptor 0.
            ::dup2(::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644), 1);
            ::dup2(::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644), 2);
            if (input == ChildInput::Pipe)
                ::dup2(fds[0], 0);
            else if (input == ChildInput::Closed)
                ::close(0);
            else
                ::dup2(::open("/dev/null", O_RDONLY | O_CLOEXEC), 0);
            std::vector<char*> argv;
            for (const std::string& a : args)
                argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        if (input == ChildInput::Pipe) {
            ::close(fds[0]);
            stdin_ = fds[1];
        }
    }
    ~ChildProcess()
    {
        closeInput();
        if (pid_ > 0 && !exited_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return pid_ > 0; }
    // Writes everything to the child's standard input; false when it stopped reading.
    bool write(const void* data, std::size_t size)
    {
        const char* p = static_cast<const char*>(data);
        while (size > 0) {
            const ssize_t n = ::write(stdin_, p, size);
            if (n <= 0)
                return false;
            p += n;
            size -= static_cast<std::size_t>(n);
        }
        return true;
    }
    void closeInput()
    {
        if (stdin_ >= 0)
            ::close(stdin_);
        stdin_ = -1;
    }
    void signal(int number) { ::kill(pid_, number); }

    // The exit status, or -1 when it had not ended within the limit (or died
    // of a signal).
    int wait(std::chrono::milliseconds limit)
    {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (!exited_) {
            int status = 0;
            const pid_t r = ::waitpid(pid_, &status, WNOHANG);
            if (r == pid_) {
                exited_ = true;
                status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
                break;
            }
            if (std::chrono::steady_clock::now() > end)
                return -1;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return status_;
    }

    std::string out() const { return slurp(outPath_); }
    std::string err() const { return slurp(errPath_); }

    static std::string slurp(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

private:
    std::string outPath_;
    std::string errPath_;
    pid_t pid_ = -1;
    int stdin_ = -1;
    bool exited_ = false;
    int status_ = -1;
};

}  // namespace veltrin::test
