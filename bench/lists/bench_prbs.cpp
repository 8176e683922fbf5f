// PRBS generation alone: 250,000,000 bits into a buffer that is allocated and touched once, so
// that only the generator is measured, not the first touch of fresh memory.
// Usage: bench_prbs [RUNS] [ORDER]   prints one line per run and the median in milliseconds.

#include "lists/prbsgenerator.h"

#include <QByteArray>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

int main(int argc, char *argv[])
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const int order = argc > 2 ? std::atoi(argv[2]) : 23;
    const qint64 count = 250000000;
    if (!ClsPrbsGenerator::isValidOrder(order)) {
        std::fprintf(stderr, "invalid order %d\n", order);
        return 2;
    }

    QByteArray buffer(int(count), '\0');
    std::memset(buffer.data(), 'x', size_t(count));
    ClsPrbsGenerator generator;
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        generator.generate(buffer.data(), order, count);
        ms.push_back(double(timer.nsecsElapsed()) / 1e6);
        std::printf("run %d: %.1f ms\n", i + 1, ms.back());
    }
    std::sort(ms.begin(), ms.end());
    std::printf("prbs%d generate %lld bits: median %.1f ms (%d runs)\n", order, static_cast<long long>(count),
                ms[ms.size() / 2], runs);
    // Keeps the work observable.
    return buffer.at(int(count - 1)) == 'x' ? 1 : 0;
}
