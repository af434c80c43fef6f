// SPDX-License-Identifier: GPL-3.0-or-later
// A set of files whose run is stopped outright part way through putting them
// in place: the journal left beside them settles every name to its new file
// or to its old one, never a mix; a journal that is not whole is never acted on.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <unistd.h>

#include "core/io/file_io.h"
#include "core/io/output_transaction.h"
#include "core/io/placing_journal.h"
#include "tests/support/ordinary_user.h"
#include "tests/support/test_files.h"

namespace fs = std::filesystem;

namespace {
constexpr std::size_t kFiles = 6;  // the even ones replace a file, the odd ones are new

std::string NameOf(std::size_t i) { return "t_" + std::to_string(i) + ".plt"; }
std::string NewContent(std::size_t i) { return "new " + std::to_string(i); }

std::vector<std::string> HiddenNames(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().filename().string().rfind(".kes-", 0) == 0) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

// The old files, then a run putting the files in place as `sets` conversions
// of a batch, stopped outright once `stopAt` of them are in place.
void StopPlacingAt(const TempDir& dir, std::size_t stopAt, std::size_t sets = 1)
{
    for (std::size_t i = 0; i < kFiles; i += 2) WriteText(dir.Path(NameOf(i)), "old");
    const int status = RunInChild([&] {
        PlacingSettings placing;
        std::size_t placed = 0;
        placing.onPlacing = [&](std::size_t placedOfTheSet) {
            placed += placedOfTheSet > 0;
            if (placed == stopAt) ::_exit(0);
        };
        OutputGroup batch(placing);
        for (std::size_t s = 0; s < sets; ++s) {
            OutputTransaction outputs(&batch);
            for (std::size_t i = s * kFiles / sets; i < (s + 1) * kFiles / sets; ++i)
                WriteFileSafely(dir.Path(NameOf(i)), NewContent(i), &outputs);
            outputs.Commit();
        }
        batch.Commit();
        return 1;
    });
    ASSERT_EQ(status, 0);
}

// Whether each name holds its new file; where not, it holds its old file or, where there was none, nothing.
std::vector<bool> NewNames(const TempDir& dir)
{
    std::vector<bool> fresh;
    for (std::size_t i = 0; i < kFiles; ++i) {
        const bool there = fs::exists(dir.Path(NameOf(i)));
        fresh.push_back(there && ReadText(dir.Path(NameOf(i))) == NewContent(i));
        if (fresh.back()) continue;
        if (i % 2 == 0) EXPECT_EQ(ReadText(dir.Path(NameOf(i))), "old") << i;
        else EXPECT_FALSE(there) << i;
    }
    return fresh;
}

std::size_t CountOf(const std::vector<bool>& fresh) { return std::count(fresh.begin(), fresh.end(), true); }

std::string JournalIn(const TempDir& dir)
{
    const std::vector<std::string> hidden = HiddenNames(dir.Root());
    const auto journal =
        std::find_if(hidden.begin(), hidden.end(), [](const auto& n) { return n.ends_with(".journal"); });
    return journal == hidden.end() ? "" : dir.Path(*journal);
}

std::vector<RecoveredJournal> Recover(const TempDir& dir)
{
    const auto folder = OutputFolder::Open(dir.Root().string(), dir.Root().string());
    folder->Lock({}, dir.Root().string());
    std::vector<RecoveredJournal> journals = RecoverInterruptedPlacing(*folder);
    folder->Unlock();
    return journals;
}
}  // namespace

TEST(PlacingJournal, SetsStoppedPartWayAreEachFinishedOrPutBackWhole)
{
    constexpr std::size_t kNone = kFiles;
    struct Case {
        std::size_t stopAt;
        std::size_t sets;   // of kFiles / sets files each
        std::size_t lose;   // a new file not yet in place that is gone: its set cannot be finished
        bool byTheNextRun;  // settled by a run writing into the folder, not by --recover
    };
    const Case cases[] = {
        {0, 1, kNone, false},      {1, 1, kNone, true}, {3, 1, kNone, false}, {kFiles - 1, 1, kNone, true},
        {kFiles, 1, kNone, false}, {1, 1, 5, false},    {4, 1, 5, true},      {3, 3, kNone, false},
        {3, 3, 5, true},           {0, 2, 1, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "stopped at " << c.stopAt << " of " << c.sets << " sets, lost " << c.lose);
        TempDir dir;
        StopPlacingAt(dir, c.stopAt, c.sets);
        EXPECT_EQ(CountOf(NewNames(dir)), c.stopAt);  // the mix a run killed outright leaves
        const JournalRead journal = ReadJournal(ReadText(JournalIn(dir)));
        ASSERT_EQ(journal.problem, "");
        ASSERT_EQ(journal.entries.size(), kFiles);
        EXPECT_EQ(journal.entries.back().set, c.sets - 1);
        if (c.lose != kNone) fs::remove(dir.Path(journal.entries[c.lose].temporary));
        std::vector<RecoveredJournal> journals;
        if (c.byTheNextRun) {
            OutputTransaction next;
            PlacingSettings placing;
            placing.onRecovered = [&](const std::string& folder, const RecoveredJournal& j) {
                EXPECT_EQ(folder, dir.Root().string());
                journals.push_back(j);
            };
            next.SetPlacing(placing);
            WriteFileSafely(dir.Path("next.plt"), "next", &next);
            next.Commit();
            fs::remove(dir.Path("next.plt"));
        } else {
            journals = Recover(dir);
        }
        ASSERT_EQ(journals.size(), 1u);
        ASSERT_EQ(journals[0].outcome, RecoveredJournal::Outcome::Settled);
        ASSERT_EQ(journals[0].sets.size(), c.sets);
        const std::vector<bool> fresh = NewNames(dir);
        const std::size_t per = kFiles / c.sets;
        for (std::size_t s = 0; s < c.sets; ++s) {
            const SettledSet& set = journals[0].sets[s];
            const bool lost = c.lose / per == s;
            EXPECT_EQ(set.finished, !lost) << s;
            EXPECT_EQ(set.files, per);
            EXPECT_EQ(set.placed, std::clamp(c.stopAt, s * per, (s + 1) * per) - s * per) << s;
            EXPECT_EQ(set.missing, lost ? 1u : 0u);
            for (std::size_t i = s * per; i < (s + 1) * per; ++i) EXPECT_EQ(fresh[i], !lost) << i;
        }
        EXPECT_EQ(HiddenNames(dir.Root()), std::vector<std::string>{});
        EXPECT_TRUE(Recover(dir).empty());
    }
}

TEST(PlacingJournal, AJournalReadsBackOnlyWhole)
{
    std::string odd;  // every byte a name may hold
    for (int c = 1; c < 256; ++c)
        if (c != '/') odd += static_cast<char>(c);
    const std::vector<PlacingEntry> entries = {
        {0, ".kes-0123abcd.tmp", odd.substr(0, 128), 2049, 1234567, 0, true, 7654321},
        {0, ".kes-ffffffff.tmp", odd.substr(128), 18446744073709551615ull, 1, 99, false},
        {1, ".kes-00000000.tmp", "trip_1.plt", 0, 0, 1 << 20, false},
    };
    const std::string text = JournalText(entries);
    const JournalRead whole = ReadJournal(text);
    EXPECT_EQ(whole.problem, "");
    EXPECT_EQ(whole.entries, entries);
    for (std::size_t cut = 0; cut < text.size(); ++cut) {
        const JournalRead read = ReadJournal(text.substr(0, cut));
        EXPECT_NE(read.problem, "") << cut;
        EXPECT_TRUE(read.entries.empty());
    }
    for (std::size_t at = 0; at < text.size(); ++at)
        for (const char flip : {'\x01', '\x20', '\x80'}) {
            std::string changed = text;
            changed[at] = static_cast<char>(changed[at] ^ flip);
            EXPECT_NE(ReadJournal(changed).problem, "") << at;
        }
    EXPECT_NE(ReadJournal(text + "\n").problem, "");
    EXPECT_NE(ReadJournal(std::string(JournalSizeBound() + 1, 'x')).problem, "");
}

TEST(PlacingJournal, ADamagedJournalIsLeftAsItIsWithTheFilesItNames)
{
    TempDir dir;
    StopPlacingAt(dir, 2);
    const std::string journal = JournalIn(dir);
    const std::string text = ReadText(journal);
    WriteText(journal, text.substr(0, text.size() - 5));
    // Files a day old beside a journal are not the ones a later run sweeps away.
    const std::vector<std::string> hidden = HiddenNames(dir.Root());
    for (const std::string& name : hidden)
        fs::last_write_time(dir.Path(name), fs::file_time_type::clock::now() - std::chrono::hours(25));
    const std::vector<RecoveredJournal> journals = Recover(dir);
    ASSERT_EQ(journals.size(), 1u);
    EXPECT_EQ(journals[0].outcome, RecoveredJournal::Outcome::Damaged);
    EXPECT_EQ(journals[0].problem, "it ends before its check");
    EXPECT_EQ(HiddenNames(dir.Root()), hidden);
    EXPECT_EQ(CountOf(NewNames(dir)), 2u);
}
