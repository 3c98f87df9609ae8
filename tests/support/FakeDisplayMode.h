#pragma once

#include <QList>

#include "DisplayMode.h"

// A screen of a chosen size that records the changes asked of it.
class FakeDisplayMode : public DisplayMode
{
public:
    explicit FakeDisplayMode(QSize size)
        : size(size)
    { }

    QSize screenSize() const override { return size; }
    bool request(const QSize &wanted) override
    {
        requests.append(wanted);
        return true;
    }

    QSize size;
    QList<QSize> requests;
};
