#pragma once

#include "records/record_reader.h"

#include <QString>

#include <array>
#include <optional>
#include <utility>
#include <vector>

// The confidence and self-critique ratings as the research reads them: a
// confidence rating of 2 or 3 is an answer given with confidence; a
// self-critique rating of 3 says the answer needed no critique, 0 to 2 that
// it did.
namespace ratings {

inline constexpr int scaleTop = 3;
inline constexpr int scaleSize = scaleTop + 1;

// The value of a rating on the 0 to 3 scale; nothing for any other text.
std::optional<int> scaleValue(const QString& rating);

inline bool isConfident(int confidence) { return confidence >= 2; }
inline bool neededCritique(int selfCritique) { return selfCritique < scaleTop; }

struct RatingCount {
    QString rating;  // trimmed
    int count = 0;
};
// The ratings given to one item.
struct Spread {
    record_reader::RatingKind kind = record_reader::RatingKind::None;  // None when mixed or none
    std::vector<RatingCount> counts;  // numbers in order, then other texts
    int unrated = 0;                  // responses without a rating line
    int responses = 0;
};
Spread spread(const std::vector<const record_reader::Entry*>& entries);

// Each self-critique record of one student's run through one assignment,
// paired with the confidence record before it: the nearest earlier one with
// no other self critique between. Indices into `run`; a self critique with
// no confidence record before it is counted in `unpaired`.
struct Pairing {
    std::vector<std::pair<std::size_t, std::size_t>> pairs;  // confidence, self critique
    int unpaired = 0;
};
Pairing pair(const std::vector<const record_reader::Entry*>& run);

// Confidence (rows) against self critique (columns), over pairs whose
// ratings are both on the scale; the others are counted apart.
struct Table {
    std::array<std::array<int, scaleSize>, scaleSize> counts{};
    int offScale = 0;  // pairs with a rating that is not 0 to 3
    int unpaired = 0;

    // Adds a pair; false when one of its ratings is off the scale.
    bool add(const QString& confidence, const QString& selfCritique);
    int pairs() const;
};

// Of the confident answers, those that needed critique; of the unconfident
// ones, those that did not.
struct Shares {
    int confident = 0;
    int confidentCritiqued = 0;
    int unconfident = 0;
    int unconfidentSound = 0;

    void add(int confidence, int selfCritique);
    Shares& operator+=(const Shares& other);
};

}  // namespace ratings
