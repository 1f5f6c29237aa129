// The model's readings of the audit's contexts, against a plain scan of every occurrence.
#include "polyphone/context_audit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <map>

#include "editor/codec.h"
#include "editor/gbk.h"
#include "shipped_model.h"

namespace {

namespace gbk = qdm::gbk;

const qdm::PolyContextModel& Model() {
    return ShippedModel();
}

std::string SampleBook() {
    std::ifstream in(std::string(MKED_TEST_DATA) + "/readings/dev-sample.sent");
    std::string book;
    for (std::string line; std::getline(in, line);) {
        for (size_t m; (m = line.find("\xE2\x96\x81")) != std::string::npos;) line.erase(m, 3);
        if (auto text = gbk::FromUtf8(line)) book += *text + "\r\n";
    }
    return book;
}

// Every occurrence of the context found by a GBK-aware search, the character at its first
// place in it, read off the predictions of the whole text.
qdm::PolyContextReading Reference(const std::string& text, const std::string& ch,
                                  const std::string& context,
                                  const std::map<size_t, qdm::PolyPrediction>& predicted,
                                  const std::vector<uint8_t>& covered) {
    size_t focal = 0;
    while (context.compare(focal, 2, ch) != 0) focal += 2;
    std::map<std::string_view, std::pair<int64_t, double>> votes;
    std::vector<std::string_view> order;
    qdm::PolyContextReading r;
    for (size_t at = gbk::Find(text, context, 0); at != gbk::npos;
         at = gbk::Find(text, context, at + 1)) {
        const size_t pos = at + focal;
        if (covered[pos]) continue;
        const qdm::PolyPrediction& p = predicted.at(pos);
        ++r.occurrences;
        r.misread += p.Changed();
        r.defaultReading = p.defaultReading;
        if (!votes.count(p.reading)) order.push_back(p.reading);
        votes[p.reading].first += 1;
        votes[p.reading].second += p.confidence;
    }
    for (std::string_view reading : order)
        if (r.reading.empty() || votes[reading].first > votes[r.reading].first) r.reading = reading;
    if (!r.reading.empty())
        r.confidence = static_cast<float>(votes[r.reading].second / votes[r.reading].first);
    return r;
}

TEST(ContextAudit, EveryContextReadsAsAScanOfItsOccurrencesDoes) {
    const std::string book = SampleBook();
    ASSERT_GT(book.size(), 1000u);
    for (const char* dict : {"", "银行======>>银航\n一行======>>一航\n"}) {
        const qdm::PolyDictSnapshot snapshot{gbk::Lit(dict)};
        const auto audit = qdm::AuditPolyphones({book}, snapshot, Model().Table());
        const auto readings = qdm::ReadAuditContexts(audit, book, snapshot, Model());
        std::map<size_t, qdm::PolyPrediction> predicted;
        for (const qdm::PolyPrediction& p : Model().Predict(book)) predicted[p.offset] = p;
        const std::vector<uint8_t> covered = qdm::PolyCoverage(book, snapshot);
        ASSERT_EQ(readings.size(), audit.size());
        int64_t misread = 0;
        for (size_t i = 0; i < audit.size(); ++i) {
            ASSERT_EQ(readings[i].size(), audit[i].contexts.size());
            for (size_t j = 0; j < audit[i].contexts.size(); ++j) {
                const std::string& context = audit[i].contexts[j].text;
                const auto want = Reference(book, audit[i].ch, context, predicted, covered);
                const qdm::PolyContextReading& got = readings[i][j];
                SCOPED_TRACE(context);
                EXPECT_EQ(got.occurrences, audit[i].contexts[j].count);
                EXPECT_EQ(got.occurrences, want.occurrences);
                EXPECT_EQ(got.misread, want.misread);
                EXPECT_EQ(got.reading, want.reading);
                EXPECT_EQ(got.defaultReading, want.defaultReading);
                EXPECT_FLOAT_EQ(got.confidence, want.confidence);
                misread += got.misread;
            }
        }
        EXPECT_GT(misread, 0);  // the sample holds misreads, or the comparison proves little
    }
}

TEST(ContextAudit, ABankIsReadHangAndCountedAsMisreadUnlessTheDictionaryTakesIt) {
    const std::string text = gbk::Lit("他去银行取钱。银行关门了。");
    const qdm::PolyDictSnapshot none{std::string()};
    auto audit = qdm::AuditPolyphones({text}, none, Model().Table());
    auto readings = qdm::ReadAuditContexts(audit, text, none, Model());
    bool seen = false;
    for (size_t i = 0; i < audit.size(); ++i)
        for (size_t j = 0; j < audit[i].contexts.size(); ++j)
            if (audit[i].contexts[j].text == gbk::Lit("银行")) {
                seen = true;
                EXPECT_EQ(readings[i][j].reading, "hang2");
                EXPECT_EQ(readings[i][j].defaultReading, "xing2");
                EXPECT_EQ(readings[i][j].misread, 2);
                EXPECT_GT(readings[i][j].confidence, 0.5f);
            }
    EXPECT_TRUE(seen);

    const qdm::PolyDictSnapshot bank{gbk::Lit("银行======>>银航\n")};
    audit = qdm::AuditPolyphones({text}, bank, Model().Table());
    readings = qdm::ReadAuditContexts(audit, text, bank, Model());
    for (size_t i = 0; i < audit.size(); ++i)
        for (size_t j = 0; j < audit[i].contexts.size(); ++j)
            EXPECT_EQ(readings[i][j].occurrences, audit[i].contexts[j].count);
}

}  // namespace

namespace {

namespace gbk = qdm::gbk;

// A character row and its contexts' readings, each context "bytes:reading" read by default
// as "d".
struct Row {
    std::string ch;
    std::vector<std::pair<std::string, std::string_view>> contexts;
};

void Build(const std::vector<Row>& rows, std::vector<qdm::PolyAuditChar>& audit,
           std::vector<std::vector<qdm::PolyContextReading>>& readings) {
    for (const Row& row : rows) {
        qdm::PolyAuditChar c;
        c.ch = row.ch;
        std::vector<qdm::PolyContextReading> r;
        for (const auto& [text, reading] : row.contexts) {
            c.contexts.push_back({text, 1});
            r.push_back({reading, "d", 0.5f, 1, reading != "d"});
        }
        audit.push_back(c);
        readings.push_back(r);
    }
}

std::string Order(const std::vector<qdm::PolyAuditChar>& audit,
                  const std::vector<std::vector<qdm::PolyContextReading>>& readings) {
    std::string out;
    for (size_t i = 0; i < audit.size(); ++i) {
        out += audit[i].ch + ":";
        for (size_t j = 0; j < audit[i].contexts.size(); ++j)
            out += audit[i].contexts[j].text + "=" + std::string(readings[i][j].reading) + " ";
        out += "| ";
    }
    return out;
}

TEST(ContextAuditOrder, PutsMisreadContextsAndTheirCharactersFirstAndKeepsEveryOtherOrder) {
    std::vector<qdm::PolyAuditChar> audit;
    std::vector<std::vector<qdm::PolyContextReading>> readings;
    Build({{"A", {{"a1", "d"}, {"a2", "d"}}},
           {"B", {{"b1", "d"}, {"b2", "x"}, {"b3", "d"}, {"b4", "y"}}},
           {"C", {{"c1", "d"}}},
           {"D", {{"d1", "z"}}}},
          audit, readings);
    qdm::OrderMisreadFirst(audit, readings);
    EXPECT_EQ(Order(audit, readings), "B:b2=x b4=y b1=d b3=d | D:d1=z | A:a1=d a2=d | C:c1=d | ");
}

TEST(ContextAuditOrder, LeavesAnAuditAloneWhenItsReadingsDoNotBelongToIt) {
    std::vector<qdm::PolyAuditChar> audit;
    std::vector<std::vector<qdm::PolyContextReading>> readings;
    Build({{"A", {{"a1", "d"}}}, {"B", {{"b1", "x"}}}}, audit, readings);
    readings.pop_back();
    qdm::OrderMisreadFirst(audit, readings);
    ASSERT_EQ(audit.size(), 2u);
    EXPECT_EQ(audit[0].ch, "A");
}

TEST(ContextAuditCoverage, GivesTheBytesTheDictionaryReplacesAsJoinedAscendingRanges) {
    const qdm::PolyDictSnapshot bank{gbk::Lit("银行======>>银航\n")};
    const std::string text = gbk::Lit("他去银行取钱。银行银行");
    const auto ranges = qdm::PolyCoveredRanges(text, bank);
    ASSERT_EQ(ranges.size(), 2u);
    EXPECT_EQ(ranges[0].begin, 4u);
    EXPECT_EQ(ranges[0].end, 8u);
    EXPECT_EQ(ranges[1].begin, 14u);
    EXPECT_EQ(ranges[1].end, 22u);
    EXPECT_TRUE(qdm::PolyCoveredRanges(text, qdm::PolyDictSnapshot{std::string()}).empty());
}

TEST(ContextAuditCoverage, AFixByContextLeavesTheDictionarysWordsToIt) {
    const qdm::PolyDictSnapshot bank{gbk::Lit("银行======>>银航\n")};
    const std::string text = gbk::Lit("他是银行的行长，也常常要还钱。");
    const qdm::PolySmartResult r =
        qdm::SmartFix(Model(), text, qdm::PolyCoveredRanges(text, bank), qdm::PolyStyle::Homophone);
    EXPECT_EQ(r.text, gbk::Lit("他是银行的航掌，也常常要环钱。"));
    EXPECT_EQ(r.fixed, 3);
}

// Reports every 16 KB, so that the sample book gives several in each phase.
constexpr size_t kStride = 16 << 10;

const std::string& LongBook() {
    static const std::string book = SampleBook();
    return book;
}

struct MeteredRun {
    std::vector<qdm::PolyAuditChar> audit;
    qdm::PolyAuditReadings read;
    std::vector<double> shares;  // as told, in order
    bool stopped = false;
};

// The audit and its readings as 多音字检查 works them out, from one coverage of the text, told
// to stop at report `stopAt`.
MeteredRun RunMetered(const qdm::PolyDictSnapshot& dict, size_t stopAt) {
    MeteredRun run;
    qdm::PassMeter meter(
        [&](double share) {
            run.shares.push_back(share);
            return run.shares.size() < stopAt;
        },
        kStride);
    meter.Span(0, 0.15);
    const std::vector<uint8_t> covered = qdm::PolyCoverage(LongBook(), dict, &meter);
    meter.Span(0.15, 0.45);
    run.audit = qdm::AuditPolyphonesCovered(LongBook(), covered, Model().Table(), &meter);
    meter.Span(0.45, 1);
    run.read = qdm::ReadAuditContextsAndFix(run.audit, LongBook(), covered, Model(),
                                            qdm::PolyStyle::Homophone, &meter);
    run.stopped = meter.Stopped();
    return run;
}

TEST(ContextAuditProgress, AMeteredPassGivesTheSameAnswerWithSharesRisingToTheEnd) {
    const qdm::PolyDictSnapshot dict{gbk::Lit("银行======>>银航\n")};
    const MeteredRun run = RunMetered(dict, SIZE_MAX);
    const auto audit = qdm::AuditPolyphones({LongBook()}, dict, Model().Table());
    const auto read =
        qdm::ReadAuditContextsAndFix(audit, LongBook(), dict, Model(), qdm::PolyStyle::Homophone);
    EXPECT_FALSE(run.stopped);
    ASSERT_EQ(run.audit.size(), audit.size());
    for (size_t i = 0; i < audit.size(); ++i)
        EXPECT_EQ(qdm::FormatAuditLine(run.audit[i]), qdm::FormatAuditLine(audit[i]));
    EXPECT_EQ(run.read.fix.text, read.fix.text);
    EXPECT_EQ(run.read.readings.size(), read.readings.size());
    ASSERT_GE(run.shares.size(), 8u);  // coverage twice, spots and prediction, each in strides
    EXPECT_TRUE(std::is_sorted(run.shares.begin(), run.shares.end()));
    EXPECT_GE(run.shares.front(), 0.0);
    EXPECT_EQ(run.shares.back(), 1.0);
}

TEST(ContextAuditProgress, AStoppedPassIsToldNoMoreAndGivesNothing) {
    const qdm::PolyDictSnapshot dict{gbk::Lit("银行======>>银航\n")};
    const size_t reports = RunMetered(dict, SIZE_MAX).shares.size();
    for (const size_t stopAt : {size_t{1}, size_t{3}, reports / 2, reports}) {
        const MeteredRun run = RunMetered(dict, stopAt);
        SCOPED_TRACE(stopAt);
        EXPECT_TRUE(run.stopped);
        EXPECT_EQ(run.shares.size(), stopAt);
        if (stopAt <= 3) {  // within the coverage and the spots: no audit either
            EXPECT_TRUE(run.audit.empty());
        }
        EXPECT_TRUE(run.read.readings.empty());
        EXPECT_TRUE(run.read.fix.text.empty());
    }
}

}  // namespace
