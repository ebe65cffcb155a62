// Throughput of BuildMnemonicCode over 100,000 generated product names like those of a pharmacy's list: Chinese
// names with dosage forms, specifications in ASCII and full-width forms, brand letters and the odd Greek letter;
// each with and without phrase readings (moPhrases), and what the phrase readings cost. Then how many names of a list
// of common drug and herb names (common-names.txt) get another code with phrase readings.

#include "mnemonic/MnemonicCode.h"
#include "mnemonic/MnemonicEncoder.h"

#include <QFile>
#include <QStringEncoder>
#include <QStringList>
#include <QTextStream>

#include <algorithm>
#include <array>
#include <ctime>
#include <functional>
#include <random>
#include <vector>

namespace {

constexpr int kNameCount = 100000;
constexpr int kRounds = 9;

QStringList productNames()
{
    const std::array stems{"阿莫西林",     "头孢克肟",       "布洛芬",   "复方甘草",  "板蓝根",   "维生素",
                           "葡萄糖",       "氯化钠",         "感冒灵",   "银翘解毒",  "六味地黄", "阿司匹林肠溶",
                           "盐酸二甲双胍", "硝苯地平",       "奥美拉唑", "藿香正气",  "连花清瘟", "蒙脱石",
                           "红霉素",       "对乙酰氨基酚",   "双黄连",   "牛黄解毒",  "小儿止咳", "复方丹参",
                           "乳酸菌素",     "苯磺酸氨氯地平", "α-干扰素", "β-胡萝卜素"};
    const std::array forms{"片",     "胶囊",   "颗粒", "注射液", "口服液", "软膏",
                           "缓释片", "滴眼液", "丸",   "糖浆",   "分散片", "泡腾片"};
    const std::array prefixes{"", "", "", "", "（复方）", "Vc", "【OTC】", "小儿", "维生素Ｂ１", "新"};
    const std::array units{"g", "mg", "ml", "ｍｌ", "粒", "片", "袋", "支"};
    const std::array packs{"盒", "瓶", "板", "袋"};

    std::mt19937 random(20261210);
    auto pick = [&random](const auto& list) { return QString::fromUtf8(list[random() % list.size()]); };
    QStringList names;
    names.reserve(kNameCount);
    for (int i = 0; i < kNameCount; ++i) {
        QString name = pick(prefixes) + pick(stems) + pick(forms);
        switch (random() % 4) {
        case 0:
            name += QStringLiteral(" %1%2*%3").arg(0.05 * (1 + random() % 40)).arg(pick(units)).arg(6 + random() % 42);
            break;
        case 1:
            name += QStringLiteral("(%1%2)").arg(1 + random() % 500).arg(pick(units));
            break;
        case 2:
            name += QString::fromUtf8("／") + pick(packs);
            break;
        default:
            break;
        }
        names.append(name);
    }
    return names;
}

// Best names per second of two conversions over the same names, their rounds taken in turn so that a busy machine
// slows both alike. Seconds of this process's processor time, not of the clock on the wall: other programs on a busy
// machine then count little.
template <typename Convert> std::pair<double, double> bestNamesPerSecond(qsizetype count, Convert first, Convert second)
{
    double best[2]{0, 0};
    for (int round = 0; round < kRounds; ++round) {
        for (int which = 0; which < 2; ++which) {
            const std::clock_t start = std::clock();
            const qsizetype produced = which == 0 ? first() : second();
            const double seconds = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
            if (produced == 0)
                return {0, 0}; // keeps the work from being optimised away
            best[which] = std::max(best[which], static_cast<double>(count) / seconds);
        }
    }
    return {best[0], best[1]};
}

// What the phrase readings cost: the share of the names per second lost, and how much longer a name takes.
QString cost(std::pair<double, double> rates)
{
    return QStringLiteral("%1% of the speed lost, %2% more time a name")
        .arg(QString::number(100.0 * (1.0 - rates.second / rates.first), 'f', 1),
             QString::number(100.0 * (rates.first / rates.second - 1.0), 'f', 1));
}

// Names of common-names.txt whose code changes with the phrase readings, under the given options.
void compareCommonNames(QTextStream& out, int options, const char* label)
{
    QFile file(QStringLiteral(PI_COMMON_NAMES_FILE));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        out << "common-names.txt not found\n";
        return;
    }
    // One name a line before a tab and the code a pharmacy types (which tools/phrase-index/measure_agreement.py
    // checks); lines starting with '#' say what the file is.
    QStringList names;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (!line.startsWith(QLatin1Char('#')))
            names.append(line.section(QLatin1Char('\t'), 0, 0));
    }
    QStringList changed;
    for (const QString& name : names) {
        const QString without = mnemonic::BuildMnemonicCode(name, options, 255);
        const QString with = mnemonic::BuildMnemonicCode(name, options | mnemonic::moPhrases, 255);
        if (with != without)
            changed.append(name + QLatin1Char(' ') + without + QStringLiteral("->") + with);
    }
    out << "common drug and herb names whose code changes with phrase readings, " << label << ": " << changed.size()
        << " of " << names.size() << " (" << QString::number(100.0 * changed.size() / names.size(), 'f', 1) << "%)\n";
    for (const QString& line : changed)
        out << "  " << line << '\n';

    // The same names, repeated to the benchmark's count, as GBK bytes: what the phrase readings cost on real names.
    QStringEncoder toGbk("GBK");
    std::vector<QByteArray> gbkNames;
    for (qsizetype i = 0; i < kNameCount; ++i)
        gbkNames.push_back(toGbk(names.at(i % names.size())));
    auto conversion = [&gbkNames](int withOptions) {
        return std::function<qsizetype()>([&gbkNames, withOptions] {
            qsizetype total = 0;
            for (const QByteArray& name : gbkNames)
                total += mnemonic::BuildMnemonicCode(QByteArrayView(name), withOptions, 255).size();
            return total;
        });
    };
    const auto rates = bestNamesPerSecond(kNameCount, conversion(options), conversion(options | mnemonic::moPhrases));
    out << "  GBK bytes in, bytes out:    " << qRound64(rates.first) << " names/s, with phrase readings "
        << qRound64(rates.second) << " names/s (" << cost(rates) << ")\n";
}

} // namespace

int main()
{
    const QStringList names = productNames();
    QStringEncoder toGbk("GBK");
    std::vector<QByteArray> gbkNames;
    gbkNames.reserve(names.size());
    qsizetype gbkBytes = 0;
    for (const QString& name : names) {
        gbkNames.push_back(toGbk(name));
        gbkBytes += gbkNames.back().size();
    }

    QTextStream out(stdout);
    out << "mnemonic codes of " << names.size() << " product names (" << gbkBytes << " GBK bytes, e.g. "
        << names.first() << " -> " << mnemonic::BuildMnemonicCode(names.first(), mnemonic::moMarkMissing, 255)
        << "), best of " << kRounds << " rounds\n";

    struct Case
    {
        const char* label;
        int options;
    };
    auto bytesConversion = [&](int options) {
        return std::function<qsizetype()>([&gbkNames, options] {
            qsizetype total = 0;
            for (const QByteArray& name : gbkNames)
                total += mnemonic::BuildMnemonicCode(QByteArrayView(name), options, 255).size();
            return total;
        });
    };
    auto stringConversion = [&](int options) {
        return std::function<qsizetype()>([&names, options] {
            qsizetype total = 0;
            for (const QString& name : names)
                total += mnemonic::BuildMnemonicCode(name, options, 255).size();
            return total;
        });
    };
    // As the import builds them: one encoder for the whole run.
    mnemonic::MnemonicEncoder encoder;
    auto encoderConversion = [&](int options) {
        return std::function<qsizetype()>([&names, &encoder, options] {
            qsizetype total = 0;
            for (const QString& name : names)
                total += encoder.build(name, options, 255).size();
            return total;
        });
    };
    for (const Case& c : {Case{"initials, marked (the import's call)", mnemonic::moMarkMissing},
                          Case{"whole syllables, marked", mnemonic::moFullPinyin | mnemonic::moMarkMissing}}) {
        const int withPhrases = c.options | mnemonic::moPhrases;
        const auto bytes = bestNamesPerSecond(names.size(), bytesConversion(c.options), bytesConversion(withPhrases));
        const auto strings =
            bestNamesPerSecond(names.size(), stringConversion(c.options), stringConversion(withPhrases));
        const auto encoded =
            bestNamesPerSecond(names.size(), encoderConversion(c.options), encoderConversion(withPhrases));
        out << c.label << ":\n"
            << "  GBK bytes in, bytes out:    " << qRound64(bytes.first) << " names/s, with phrase readings "
            << qRound64(bytes.second) << " names/s (" << cost(bytes) << ")\n"
            << "  QString in, QString out:    " << qRound64(strings.first) << " names/s, with phrase readings "
            << qRound64(strings.second) << " names/s (" << cost(strings) << ")\n"
            << "  QString, one encoder (the import's way): " << qRound64(encoded.first)
            << " names/s, with phrase readings " << qRound64(encoded.second) << " names/s (" << cost(encoded) << ")\n";
    }
    compareCommonNames(out, mnemonic::moMarkMissing, "initials");
    compareCommonNames(out, mnemonic::moFullPinyin | mnemonic::moMarkMissing, "whole syllables");
    return 0;
}
