// Throughput of BuildMnemonicCode over 100,000 generated product names like those of a pharmacy's list: Chinese
// names with dosage forms, specifications in ASCII and full-width forms, brand letters and the odd Greek letter.

#include "MnemonicCode.h"

#include <QElapsedTimer>
#include <QStringEncoder>
#include <QStringList>
#include <QTextStream>

#include <algorithm>
#include <array>
#include <random>
#include <vector>

namespace {

constexpr int kNameCount = 100000;
constexpr int kRounds = 5;

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

template <typename Convert> double bestNamesPerSecond(qsizetype count, Convert convert)
{
    double best = 0;
    for (int round = 0; round < kRounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        qsizetype produced = convert();
        const double seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
        if (produced == 0)
            return 0; // keeps the work from being optimised away
        best = std::max(best, static_cast<double>(count) / seconds);
    }
    return best;
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
    for (const Case& c : {Case{"initials, marked (the import's call)", mnemonic::moMarkMissing},
                          Case{"whole syllables, marked", mnemonic::moFullPinyin | mnemonic::moMarkMissing}}) {
        const double bytesRate = bestNamesPerSecond(names.size(), [&] {
            qsizetype total = 0;
            for (const QByteArray& name : gbkNames)
                total += mnemonic::BuildMnemonicCode(QByteArrayView(name), c.options, 255).size();
            return total;
        });
        const double stringRate = bestNamesPerSecond(names.size(), [&] {
            qsizetype total = 0;
            for (const QString& name : names)
                total += mnemonic::BuildMnemonicCode(name, c.options, 255).size();
            return total;
        });
        out << c.label << ":\n"
            << "  GBK bytes in, bytes out:    " << qRound64(bytesRate) << " names/s\n"
            << "  QString in, QString out:    " << qRound64(stringRate) << " names/s\n";
    }
    return 0;
}
