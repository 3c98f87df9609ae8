#pragma once

#include <QString>
#include <vector>

#include "InfraredSignal.h"

// The recordings of real remotes in the shared infrared corpus.
namespace IrCorpus
{
struct Recording
{
    QString remote;  // the file it comes from: one remote
    QString name;    // the button
    InfraredSignal signal;
};
// A signal the recording device decoded, in its own words.
struct Decoded
{
    QString remote;
    QString name;
    QString protocol;
    long long address = 0;
    long long command = 0;
};
// The folder of the corpus; empty when it is not there.
QString folder();
// The first `limit` raw recordings (all for 0); empty when the corpus is missing.
std::vector<Recording> rawRecordings(std::size_t limit);
// All decoded signals; empty when the corpus is missing.
std::vector<Decoded> decodedSignals();
}  // namespace IrCorpus
