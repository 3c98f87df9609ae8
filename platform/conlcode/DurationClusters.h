#pragma once

#include <cstddef>
#include <vector>

// Lengths grouped into clusters of similar length, so that jitter of a few
// per cent never moves a length into another cluster: sorted lengths split
// where one is more than 15 % longer than the one before; a cluster spanning
// more than 40 % splits again at its widest step; when there are more than
// the allowed number, the two closest neighbours merge. A tight cluster whose
// mean is not close to every member (3 % or 50 us) splits on at a clear step
// (8 %) with three or more lengths on each side: two lengths of the remote that
// a wide cluster would join, where the jitter of one length seldom splits.
class DurationClusters
{
public:
    enum class Spread
    {
        Wide,
        Tight,
    };
    DurationClusters(const std::vector<int> &lengths, std::size_t maxClusters, Spread spread = Spread::Wide);

    std::size_t size() const { return m_means.size(); }
    // The cluster of the i-th length; clusters are numbered shortest first.
    std::size_t clusterOf(std::size_t i) const { return m_clusterOf[i]; }
    double mean(std::size_t cluster) const { return m_means[cluster]; }

private:
    std::vector<std::size_t> m_clusterOf;
    std::vector<double> m_means;
};
