#pragma once

#include <string>

// What one call of the conversion library gave: the converter's text, or why
// there is none. A missing library or entry point is an ordinary failure; an
// exception raised while loading or converting is told apart, since the user
// then gets no notice of its own.
struct Conversion
{
    enum class Status
    {
        Converted,
        LibraryMissing,
        EntryMissing,
        Raised
    };

    Status status = Status::Converted;
    std::string text;   // the converter's result, empty unless Converted
    std::string error;  // the loader's or the exception's own words, for the log
    // The remote's learned formats went with the call: a stored format's id
    // with other data then names that format grown by the key's timing.
    bool formatsOffered = false;
};
