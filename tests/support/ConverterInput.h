#pragma once

#include <string>

#include "InfraredSignal.h"

// The converter's input for a signal, the tool's own road: the remote's
// receiver captures it, trimcapture and encodecapture shape the capture, and
// the frame count and header come off.
namespace ConverterInput
{
std::string of(const InfraredSignal &signal);
// The carrier that goes with it: what the capture's header says, 0 for none.
int carrierOf(const InfraredSignal &signal);
}  // namespace ConverterInput
