#include "engine/writes/RunChoices.h"

#include <array>
#include <utility>

namespace importer {

namespace {

constexpr std::array kExisting{std::pair{ExistingChoice::Add, "add"}, std::pair{ExistingChoice::Skip, "skip"},
                               std::pair{ExistingChoice::Update, "update"}};
constexpr std::array kRepeats{std::pair{RepeatChoice::Fail, "fail"}, std::pair{RepeatChoice::Merge, "merge"}};

template <class Choice, std::size_t N>
QString nameIn(const std::array<std::pair<Choice, const char*>, N>& names, Choice choice)
{
    for (const auto& [value, name] : names) {
        if (value == choice)
            return QString::fromLatin1(name);
    }
    return QString();
}

template <class Choice, std::size_t N> QStringList namesIn(const std::array<std::pair<Choice, const char*>, N>& names)
{
    QStringList all;
    for (const auto& entry : names)
        all << QString::fromLatin1(entry.second);
    return all;
}

template <class Choice, std::size_t N>
std::optional<Choice> choiceIn(const std::array<std::pair<Choice, const char*>, N>& names, const QString& name)
{
    for (const auto& [value, text] : names) {
        if (name == QLatin1String(text))
            return value;
    }
    return std::nullopt;
}

} // namespace

QString choiceName(ExistingChoice choice)
{
    return nameIn(kExisting, choice);
}

QString choiceName(RepeatChoice choice)
{
    return nameIn(kRepeats, choice);
}

QStringList existingChoiceNames()
{
    return namesIn(kExisting);
}

QStringList repeatChoiceNames()
{
    return namesIn(kRepeats);
}

std::optional<ExistingChoice> existingChoiceNamed(const QString& name)
{
    return choiceIn(kExisting, name);
}

std::optional<RepeatChoice> repeatChoiceNamed(const QString& name)
{
    return choiceIn(kRepeats, name);
}

} // namespace importer
