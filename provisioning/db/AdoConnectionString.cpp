#include "AdoConnectionString.h"

#include <QList>

#include <map>
#include <tuple>
#include <utility>

namespace brevane::db {

namespace {

struct KeyName
{
    QLatin1StringView name;
    AdoKey key;
};

constexpr KeyName keyNames[] = {
    { QLatin1StringView("Provider"), AdoKey::Provider },
    { QLatin1StringView("Password"), AdoKey::Password },
    { QLatin1StringView("PWD"), AdoKey::Password },
    { QLatin1StringView("Persist Security Info"), AdoKey::PersistSecurityInfo },
    { QLatin1StringView("User ID"), AdoKey::UserId },
    { QLatin1StringView("UID"), AdoKey::UserId },
    { QLatin1StringView("Initial Catalog"), AdoKey::InitialCatalog },
    { QLatin1StringView("Database"), AdoKey::InitialCatalog },
    { QLatin1StringView("Data Source"), AdoKey::DataSource },
    { QLatin1StringView("Server"), AdoKey::DataSource },
};

// A place where a key could start: `cut` is the index of the ';' before it
// (-1 at the start of the text), `valueStart` the index after its '='.
struct Candidate
{
    qsizetype cut;
    qsizetype valueStart;
    AdoKey key;
};

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

// Matches "<blanks>Key<blanks>=" at `from`; returns the index after '='.
std::optional<std::pair<AdoKey, qsizetype>> keyAt(const QString &text, qsizetype from)
{
    qsizetype pos = from;
    while (pos < text.size() && isBlank(text.at(pos)))
        ++pos;
    for (const KeyName &candidate : keyNames) {
        if (QStringView(text).mid(pos).startsWith(candidate.name, Qt::CaseInsensitive)) {
            qsizetype after = pos + candidate.name.size();
            while (after < text.size() && isBlank(text.at(after)))
                ++after;
            if (after < text.size() && text.at(after) == QLatin1Char('='))
                return std::make_pair(candidate.key, after + 1);
        }
    }
    return std::nullopt;
}

// Bounds the work on absurd texts; real connection texts have six keys.
constexpr qsizetype maxCandidates = 256;

unsigned bit(AdoKey key)
{
    return 1u << static_cast<unsigned>(key);
}

// Best reading of the text from candidate `first` on, given the keys already
// taken. Readings compare by the number of keys, then by the length of the
// password (passwords are where odd text turns up), then by the latest next
// cut, which keeps the earlier values long.
class Reader
{
public:
    Reader(const QList<Candidate> &candidates, qsizetype textSize)
        : m_candidates(candidates)
        , m_textSize(textSize)
    { }

    struct Reading
    {
        int keys = 0;
        qsizetype passwordLength = 0;
        QList<int> chosen; // candidate indexes after the first one

        bool beats(const Reading &other) const
        {
            return std::tie(keys, passwordLength) > std::tie(other.keys, other.passwordLength);
        }
    };

    const Reading &best(int first, unsigned taken)
    {
        const auto memoKey = std::make_pair(first, taken);
        if (auto found = m_memo.find(memoKey); found != m_memo.end())
            return found->second;

        const Candidate &current = m_candidates.at(first);
        const bool isPassword = current.key == AdoKey::Password;
        Reading result { 1, isPassword ? m_textSize - current.valueStart : 0, {} };
        const unsigned nowTaken = taken | bit(current.key);
        for (int next = first + 1; next < m_candidates.size(); ++next) {
            if (nowTaken & bit(m_candidates.at(next).key))
                continue;
            const Reading &rest = best(next, nowTaken);
            Reading candidate { rest.keys + 1, rest.passwordLength, QList<int> { next } + rest.chosen };
            if (isPassword)
                candidate.passwordLength += m_candidates.at(next).cut - current.valueStart;
            // The loop runs forward, so taking ties keeps the latest cut.
            if (!result.beats(candidate))
                result = std::move(candidate);
        }
        return m_memo.emplace(memoKey, std::move(result)).first->second;
    }

private:
    const QList<Candidate> &m_candidates;
    qsizetype m_textSize;
    std::map<std::pair<int, unsigned>, Reading> m_memo;
};

} // namespace

AdoConnectionString AdoConnectionString::parse(const QString &text)
{
    QList<Candidate> candidates;
    if (const auto start = keyAt(text, 0))
        candidates.append({ -1, start->second, start->first });
    for (qsizetype i = 0; i < text.size() && candidates.size() < maxCandidates; ++i) {
        if (text.at(i) != QLatin1Char(';'))
            continue;
        if (const auto found = keyAt(text, i + 1))
            candidates.append({ i, found->second, found->first });
    }

    AdoConnectionString result;
    if (candidates.isEmpty())
        return result;

    // The first key read is the earliest one that allows the best reading.
    Reader reader(candidates, text.size());
    int first = 0;
    for (int i = 1; i < candidates.size(); ++i) {
        if (reader.best(i, 0).beats(reader.best(first, 0)))
            first = i;
    }
    const QList<int> chosen = QList<int> { first } + reader.best(first, 0).chosen;

    for (int n = 0; n < chosen.size(); ++n) {
        const Candidate &c = candidates.at(chosen.at(n));
        const bool last = n + 1 == chosen.size();
        const qsizetype end = last ? text.size() : candidates.at(chosen.at(n + 1)).cut;
        QString value = text.mid(c.valueStart, end - c.valueStart);
        if (last && c.key != AdoKey::Password && value.endsWith(QLatin1Char(';')))
            value.chop(1);
        result.m_values[index(c.key)] = value;
    }
    return result;
}

} // namespace brevane::db
