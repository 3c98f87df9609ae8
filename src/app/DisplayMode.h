#pragma once

#include <QSize>

// The screen's size, and the one change of display mode the program may ask
// for: another size for the running session. It never sets a refresh rate
// (a rate the monitor cannot show leaves it without a picture) and never saves
// a change in the system's settings. Where no change can be asked for, it
// changes nothing.
class DisplayMode
{
public:
    virtual ~DisplayMode() = default;

    virtual QSize screenSize() const;
    // Asks for `size` for this session; the answer comes later, if at all.
    // False when the request could not even be made here.
    virtual bool request(const QSize &size);
};
