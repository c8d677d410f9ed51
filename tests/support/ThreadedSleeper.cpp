// A process with several threads that waits until its stdin closes (at most
// 60 s): a pinning target for the tests. Prints "ready" once every thread
// runs.
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

int main(int argc, char** argv) {
  const int threads = argc > 1 ? std::atoi(argv[1]) : 3;
  std::atomic<bool> stop{false};
  std::atomic<int> running{0};
  std::vector<std::thread> pool;
  for (int i = 0; i < threads; ++i)
    pool.emplace_back([&] {
      ++running;
      while (!stop) usleep(10000);
    });
  while (running < threads) usleep(1000);
  std::printf("ready\n");
  std::fflush(stdout);
  pollfd p{STDIN_FILENO, POLLIN, 0};
  poll(&p, 1, 60000);
  stop = true;
  for (auto& t : pool) t.join();
  return 0;
}
