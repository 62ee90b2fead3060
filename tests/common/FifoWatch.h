// FIFOs planted where the program expects files. Opening one for reading
// waits for a writer, so a step that still did would hold up the whole suite:
// it runs under a watch that fails it instead.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <future>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

inline void MakeFifo(const std::string& name) { ASSERT_EQ(::mkfifo(name.c_str(), 0666), 0) << name; }

// Runs a step that may open the FIFO. Should it still wait after a long
// minute, a reader and a writer come and go, which ends the wait of either
// side (a reader sees an empty file): the test then fails.
inline void WithoutWaitingFor(const std::string& fifo, const std::function<void()>& step)
{
    std::future<void> done = std::async(std::launch::async, step);
    if (done.wait_for(std::chrono::seconds(60)) == std::future_status::timeout) {
        ADD_FAILURE() << "waited for a writer of " << fifo;
        const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        const int writer = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        for (int fd : {writer, reader})
            if (fd >= 0) ::close(fd);
    }
    done.get();
}
