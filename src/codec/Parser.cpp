// SPDX-License-Identifier: MIT
#include "codec/Parser.h"

#include <algorithm>
#include <limits>

namespace {

constexpr uint32_t kUnreached = std::numeric_limits<uint32_t>::max();
constexpr int32_t kProgressStep = 1 << 18;

class BlockParser {
public:
    BlockParser(EncoderTables& tables, const uint8_t* data, int32_t size, const ParseParameters& parameters,
                const CostModel& costs, TokenList& out, const ParseProgress& progress)
        : tables(tables), data(data), size(size), p(parameters), costs(costs), out(out), progress(progress),
          n(tables.TableSize()) {
        for (int32_t v = 0; v <= p.niceLength; ++v) lengthCost.push_back(costs.LengthValue(static_cast<uint32_t>(v)));
    }

    void Run() {
        tables.StartBlock(data, size);
        if (size == 0) return;
        Literal(0);
        int32_t pos = 1;
        int32_t told = 0;
        while (pos < size) {
            pos = p.optimal ? PlanAndApply(pos) : Greedy(pos);
            if (progress && pos - told >= kProgressStep) progress(told = pos);
        }
    }

private:
    void Literal(int32_t pos) {
        out.push_back(Token{static_cast<uint16_t>(2 * n + data[pos]), 0});
        tables.Step(pos, 1, false, false, 0);
    }

    // The cheapest encoding of exactly len bytes among the candidates
    // weighed so far; the first one found wins among equals.
    struct Choice {
        uint16_t slot = 0;
        uint16_t offset = 0;
        bool remembered = false;
        bool found = false;
        uint32_t cost = std::numeric_limits<uint32_t>::max();
    };
    void Weigh(Choice& best, const Candidate& c, int32_t len) const {
        if (c.common < len) return;
        if (c.remembered == len && costs.Symbol(n + c.offset) < best.cost) {
            best = Choice{c.slot, c.offset, true, true, costs.Symbol(n + c.offset)};
        }
        const uint32_t decoded = costs.Symbol(c.offset) + costs.LengthValue(static_cast<uint32_t>(len - 2));
        if (decoded < best.cost) best = Choice{c.slot, c.offset, false, true, decoded};
    }

    // Takes len bytes at pos as chosen; false when no candidate offered them.
    bool Take(int32_t pos, int32_t len, const Choice& best) {
        if (!best.found) return false;
        if (best.remembered) {
            out.push_back(Token{static_cast<uint16_t>(n + best.offset), 0});
        } else {
            out.push_back(Token{best.offset, static_cast<uint32_t>(len - 2)});
        }
        tables.Step(pos, len, true, best.remembered, best.slot);
        return true;
    }

    int32_t Longest(int32_t pos, int32_t maxLength) const {
        return std::max(1, tables.VisitCandidates(pos, maxLength, p.maxVisits, [](const Candidate&) {}));
    }

    // The longest string at pos; lazily, a literal first when the next
    // position offers a string longer by two or more.
    int32_t Greedy(int32_t pos) {
        const int32_t next = p.lazy && pos + 1 < size ? Longest(pos + 1, size) : 0;
        // The cheapest of the longest strings, weighed as they are found.
        int32_t longest = 0;
        Choice best;
        tables.VisitCandidates(pos, size, p.maxVisits, [&](const Candidate& c) {
            if (c.common > longest) {
                longest = c.common;
                best = Choice{};
            }
            Weigh(best, c, longest);
        });
        longest = std::max(1, longest);
        if (longest < 2 || next >= longest + 2 || !Take(pos, longest, best)) {
            Literal(pos);
            return pos + 1;
        }
        return pos + longest;
    }

    struct Node {
        uint32_t cost;
        int32_t len;      // of the step that reaches this node
        int32_t longest;  // the longest string the plan saw here
    };

    // Plans the cheapest steps over the next positions under the current
    // rows, then takes them while the rows still offer what was planned.
    int32_t PlanAndApply(int32_t pos) {
        const int32_t window = std::min<int32_t>(p.window, size - pos);
        const int32_t span = window + p.niceLength + 1;
        nodes.assign(static_cast<size_t>(span) + 1, Node{kUnreached, 0, 0});
        cheapestAt.resize(2 * (static_cast<size_t>(p.niceLength) + 1), kUnreached);
        nodes[0].cost = 0;
        int32_t forcedEnd = -1;
        int32_t forcedLength = 0;
        int32_t reached = 0;
        auto relax = [&](int32_t to, uint32_t cost, int32_t len) {
            if (to < static_cast<int32_t>(nodes.size()) && cost < nodes[static_cast<size_t>(to)].cost) {
                nodes[static_cast<size_t>(to)].cost = cost;
                nodes[static_cast<size_t>(to)].len = len;
                reached = std::max(reached, to);
            }
        };
        for (int32_t i = 0; i < window && forcedEnd < 0; ++i) {
            const uint32_t here = nodes[static_cast<size_t>(i)].cost;
            if (here == kUnreached) continue;
            const int32_t a = pos + i;
            relax(i + 1, here + costs.Literal(data[a]), 1);
            // The cheapest slot for each length a string agrees in (in two
            // halves, alternately, so that one minimum need not wait for the
            // one before); every length up to it can be taken from that slot.
            // Remembered lengths are priced at once.
            Node* const from = nodes.data() + i;
            const auto reach = [from](int32_t len, uint32_t cost) {
                if (cost < from[len].cost) {
                    from[len].cost = cost;
                    from[len].len = len;
                }
            };
            uint32_t* const halves[2] = {cheapestAt.data(), cheapestAt.data() + p.niceLength + 1};
            size_t seen = 0;
            int32_t longest = tables.VisitCandidates(a, p.niceLength, p.maxVisits, [&](const Candidate& c) {
                if (c.remembered >= 2 && c.remembered <= c.common) reach(c.remembered, here + costs.Symbol(n + c.offset));
                uint32_t& best = halves[seen++ & 1][c.common];
                best = std::min(best, costs.Symbol(c.offset));
            });
            if (seen == 0) continue;
            nodes[static_cast<size_t>(i)].longest = longest;
            if (longest >= p.niceLength) {
                // Take a long string at once; the plan ends behind it, so what
                // was priced beyond this node is never read.
                std::fill(cheapestAt.begin(), cheapestAt.end(), kUnreached);
                longest = std::max(longest, Longest(a, size));
                forcedEnd = i;
                forcedLength = longest;
                break;
            }
            // Every string ends at a node inside the plan (longest is below
            // niceLength), and the node at i + longest is reached from here
            // or was before, so reached covers them all.
            uint32_t cheapest = kUnreached;
            for (int32_t len = longest; len >= 2; --len) {
                cheapest = std::min({cheapest, halves[0][len], halves[1][len]});
                halves[0][len] = kUnreached;
                halves[1][len] = kUnreached;
                reach(len, here + cheapest + lengthCost[static_cast<size_t>(len - 2)]);
            }
            reached = std::max(reached, i + longest);
        }
        int32_t end = forcedEnd;
        if (end < 0) {
            // Among the nodes at or past the window's end, the one that is
            // cheapest for the bytes it covers.
            end = window;
            const int64_t perByte = nodes[static_cast<size_t>(window)].cost / window;
            auto score = [&](int32_t j) { return int64_t{nodes[static_cast<size_t>(j)].cost} - perByte * j; };
            for (int32_t j = window + 1; j <= reached; ++j) {
                if (nodes[static_cast<size_t>(j)].cost != kUnreached && score(j) < score(end)) end = j;
            }
        }
        steps.clear();
        for (int32_t j = end; j > 0; j -= nodes[static_cast<size_t>(j)].len) steps.push_back(nodes[static_cast<size_t>(j)].len);
        std::reverse(steps.begin(), steps.end());
        if (forcedLength > 0) steps.push_back(forcedLength);

        int32_t a = pos;
        for (size_t s = 0; s < steps.size(); ++s) {
            const int32_t len = steps[s];
            Choice best;
            const int32_t longest = std::max(1, tables.VisitCandidates(a, len + 3, p.maxVisits, [&](const Candidate& c) {
                if (len >= 2) Weigh(best, c, len);
            }));

            // The plan could not see strings filed by its own steps: where the
            // rows now offer clearly more than it saw, plan again from here.
            if (s > 0 && longest > nodes[static_cast<size_t>(a - pos)].longest + 2 && longest > len) return a;
            if (len == 1 || !Take(a, len, best)) {
                // A planned string that is gone: plan again from here.
                if (len != 1 && s > 0) return a;
                Literal(a);
                a += 1;
                continue;
            }
            a += len;
        }
        return a;
    }

    EncoderTables& tables;
    const uint8_t* data;
    int32_t size;
    const ParseParameters& p;
    const CostModel& costs;
    TokenList& out;
    const ParseProgress& progress;
    const int n;
    std::vector<Node> nodes;
    std::vector<uint32_t> cheapestAt;  // two halves by agreeing length; kUnreached between uses
    std::vector<uint32_t> lengthCost;  // of each length value up to niceLength
    std::vector<int32_t> steps;
};

}  // namespace

void ParseBlock(EncoderTables& tables, const uint8_t* data, int32_t size, const ParseParameters& parameters,
                const CostModel& costs, TokenList& out, const ParseProgress& progress) {
    BlockParser(tables, data, size, parameters, costs, out, progress).Run();
}
