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
// The folder of the corpus; empty when it is not there.
QString folder();
// The first `limit` raw recordings (all for 0); empty when the corpus is missing.
std::vector<Recording> rawRecordings(std::size_t limit);
}  // namespace IrCorpus
