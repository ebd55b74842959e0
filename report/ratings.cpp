#include "report/ratings.h"

#include <QHash>

#include <algorithm>

namespace ratings {

using record_reader::Entry;
using record_reader::Kind;
using record_reader::RatingKind;

namespace {

bool ratingBefore(const RatingCount& a, const RatingCount& b)
{
    bool aIsNumber = false;
    bool bIsNumber = false;
    const double x = a.rating.toDouble(&aIsNumber);
    const double y = b.rating.toDouble(&bIsNumber);
    if (aIsNumber != bIsNumber)
        return aIsNumber;
    if (aIsNumber && x != y)
        return x < y;
    return a.rating < b.rating;
}

}  // namespace

std::optional<int> scaleValue(const QString& rating)
{
    const QString trimmed = rating.trimmed();
    if (trimmed.size() != 1 || trimmed[0] < u'0' || trimmed[0] > QChar(u'0' + scaleTop))
        return std::nullopt;
    return trimmed[0].unicode() - u'0';
}

Spread spread(const std::vector<const Entry*>& entries)
{
    Spread spread;
    QHash<QString, std::size_t> countOf;
    bool kindSeen = false;
    bool mixed = false;
    for (const Entry* entry : entries) {
        if (entry->kind != Kind::Response)
            continue;
        ++spread.responses;
        if (entry->ratingKind == RatingKind::None) {
            ++spread.unrated;
            continue;
        }
        mixed = mixed || (kindSeen && spread.kind != entry->ratingKind);
        spread.kind = entry->ratingKind;
        kindSeen = true;
        const QString rating = entry->rating.trimmed();
        const auto found = countOf.constFind(rating);
        if (found == countOf.constEnd()) {
            countOf.insert(rating, spread.counts.size());
            spread.counts.push_back({rating, 1});
        } else {
            ++spread.counts[*found].count;
        }
    }
    if (mixed)
        spread.kind = RatingKind::None;
    std::stable_sort(spread.counts.begin(), spread.counts.end(), ratingBefore);
    return spread;
}

Pairing pair(const std::vector<const Entry*>& run)
{
    Pairing pairing;
    const std::size_t none = run.size();
    std::size_t confidence = none;
    for (std::size_t i = 0; i < run.size(); ++i) {
        const Entry& entry = *run[i];
        if (entry.kind != Kind::Response)
            continue;
        if (entry.ratingKind == RatingKind::Confidence) {
            confidence = i;
        } else if (entry.ratingKind == RatingKind::SelfCritique) {
            if (confidence != none)
                pairing.pairs.emplace_back(confidence, i);
            else
                ++pairing.unpaired;
            confidence = none;
        }
    }
    return pairing;
}

bool Table::add(const QString& confidence, const QString& selfCritique)
{
    const auto c = scaleValue(confidence);
    const auto s = scaleValue(selfCritique);
    if (!c || !s) {
        ++offScale;
        return false;
    }
    ++counts[std::size_t(*c)][std::size_t(*s)];
    return true;
}

int Table::pairs() const
{
    int sum = 0;
    for (const auto& row : counts) {
        for (const int count : row)
            sum += count;
    }
    return sum;
}

void Shares::add(int confidence, int selfCritique)
{
    if (isConfident(confidence)) {
        ++confident;
        confidentCritiqued += neededCritique(selfCritique) ? 1 : 0;
    } else {
        ++unconfident;
        unconfidentSound += neededCritique(selfCritique) ? 0 : 1;
    }
}

Shares& Shares::operator+=(const Shares& other)
{
    confident += other.confident;
    confidentCritiqued += other.confidentCritiqued;
    unconfident += other.unconfident;
    unconfidentSound += other.unconfidentSound;
    return *this;
}

}  // namespace ratings
