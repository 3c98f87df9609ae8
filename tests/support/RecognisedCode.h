#pragma once

#include <string>
#include <utility>

#include "ConverterResult.h"
#include "ProtocolCodec.h"

// What a converter result names as a known code: its protocol's IRP name and
// fields; empty for a learned code or parts its format does not read.
namespace RecognisedCode
{
std::pair<std::string, ProtocolCodec::Fields> of(const ConverterResult &result);
}
