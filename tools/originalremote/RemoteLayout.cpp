#include "RemoteLayout.h"

#include <algorithm>

namespace
{
using K = OriginalKey;
constexpr int column[] = {38, 99, 160};  // left edges of the three columns of long keys
constexpr int longWidth = 52;
constexpr int longHeight = 30;
constexpr int rowStep = 40;
constexpr int digitsTop = 104;
constexpr int padX = RemoteLayout::width / 2;
constexpr int padY = 352;
constexpr int padStep = 50;

RemoteLayout::Place rect(K key, int x, int y, int w = longWidth, int h = longHeight)
{
    return {key, x, y, w, h, false};
}

RemoteLayout::Place circle(K key, int cx, int cy, int radius)
{
    return {key, cx - radius, cy - radius, 2 * radius, 2 * radius, true};
}

std::vector<RemoteLayout::Place> layout()
{
    std::vector<RemoteLayout::Place> places{circle(K::Power, 56, 62, 19), circle(K::Mute, 194, 62, 17)};
    const K digits[] = {K::Digit1, K::Digit2, K::Digit3, K::Digit4, K::Digit5,
                        K::Digit6, K::Digit7, K::Digit8, K::Digit9};
    for (int i = 0; i < 9; ++i)
        places.push_back(rect(digits[i], column[i % 3], digitsTop + rowStep * (i / 3)));
    places.push_back(rect(K::Digit0, column[1], digitsTop + rowStep * 3));
    // The direction pad, with its four helpers in the corners around it.
    places.push_back(circle(K::Ok, padX, padY, 25));
    places.push_back(circle(K::Up, padX, padY - padStep, 19));
    places.push_back(circle(K::Down, padX, padY + padStep, 19));
    places.push_back(circle(K::Left, padX - padStep, padY, 19));
    places.push_back(circle(K::Right, padX + padStep, padY, 19));
    places.push_back(rect(K::Menu, 24, padY - 66, 44, 26));
    places.push_back(rect(K::Info, RemoteLayout::width - 68, padY - 66, 44, 26));
    places.push_back(rect(K::Back, 24, padY + 40, 44, 26));
    places.push_back(rect(K::Exit, RemoteLayout::width - 68, padY + 40, 44, 26));
    // Volume on the left, channels on the right, like most TV remotes.
    const int rockerTop = 440;
    places.push_back(rect(K::VolumeUp, column[0], rockerTop));
    places.push_back(rect(K::VolumeDown, column[0], rockerTop + rowStep));
    places.push_back(rect(K::ChannelUp, column[2], rockerTop));
    places.push_back(rect(K::ChannelDown, column[2], rockerTop + rowStep));
    const int transportY = 548;
    places.push_back(circle(K::Play, padX - 56, transportY, 17));
    places.push_back(circle(K::Pause, padX, transportY, 17));
    places.push_back(circle(K::Stop, padX + 56, transportY, 17));
    return places;
}
}  // namespace

bool RemoteLayout::Place::contains(int px, int py) const
{
    if (!round)
        return px >= x && px < x + w && py >= y && py < y + h;
    const double dx = px - (x + w / 2.0);
    const double dy = py - (y + h / 2.0);
    return dx * dx + dy * dy <= (w / 2.0) * (w / 2.0);
}

const std::vector<RemoteLayout::Place> &RemoteLayout::places()
{
    static const std::vector<Place> all = layout();
    return all;
}

const RemoteLayout::Place &RemoteLayout::placeOf(OriginalKey key)
{
    const auto &all = places();
    return *std::find_if(all.begin(), all.end(), [key](const Place &p) { return p.key == key; });
}

std::optional<OriginalKey> RemoteLayout::keyAt(int x, int y)
{
    for (const Place &place : places()) {
        if (place.contains(x, y))
            return place.key;
    }
    return std::nullopt;
}
