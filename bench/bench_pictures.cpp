// Speed of the picture loader: the five packs loaded, the animation file
// written, the 672 key pictures and the seven single pictures decoded, the
// packs unloaded. Prints the first run and the median of the following ones.
#include <QGuiApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "PictureLoader.h"

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    constexpr int runs = 21;
    std::vector<double> milliseconds;
    int pictures = 0;
    for (int run = 0; run < runs; ++run) {
        const auto start = std::chrono::steady_clock::now();
        QString whyNot;
        const std::optional<Pictures> loaded = PictureLoader::load(&whyNot);
        const auto end = std::chrono::steady_clock::now();
        if (!loaded) {
            std::fprintf(stderr, "bench_pictures: the loader failed: %s\n", qPrintable(whyNot));
            return 1;
        }
        pictures = int(loaded->normalpics.size() + loaded->learnedpics.size() + loaded->selectedpics.size()
                       + loaded->downloadedpics.size())
                   + 7;
        milliseconds.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    const double first = milliseconds.front();
    std::vector<double> rest(milliseconds.begin() + 1, milliseconds.end());
    std::sort(rest.begin(), rest.end());
    std::printf("picture loader: %d pictures; first run %.1f ms, median of %d further runs %.1f ms "
                "(fastest %.1f, slowest %.1f); target under 30 ms\n",
                pictures, first, int(rest.size()), rest[rest.size() / 2], rest.front(), rest.back());
    return 0;
}
