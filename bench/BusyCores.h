// Keeps both cores of the machine busy for one scope, as a loaded machine would be.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

namespace vornal::bench {

class BusyCores {
public:
    explicit BusyCores(bool busy) {
        for (int i = 0; busy && i < 2; ++i) {
            threads_.emplace_back([this] {
                volatile std::uint64_t x = 0;
                while (!stop_)
                    x = x + 1;
            });
        }
    }
    ~BusyCores() {
        stop_ = true;
        for (std::thread& thread : threads_)
            thread.join();
    }
    BusyCores(const BusyCores&) = delete;
    BusyCores& operator=(const BusyCores&) = delete;

private:
    std::atomic<bool> stop_{false};
    std::vector<std::thread> threads_;
};

}  // namespace vornal::bench
