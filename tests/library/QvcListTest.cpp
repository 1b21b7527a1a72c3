#include "library/QvcLazy.h"
#include "library/QvcList.h"
#include "library/QvcListNum.h"
#include "library/QvcListString.h"
#include "library/QvcSectionString.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// An item that counts its live instances, to prove who deletes what.
struct Counted : CQvcBase {
    static int live;
    int value;
    explicit Counted(int v) : CQvcBase("Counted"), value(v) { ++live; }
    Counted(const Counted& o) : CQvcBase(o), value(o.value) { ++live; }
    ~Counted() override { --live; }
    bool IsEqual(const CQvcBase& o) const override { return value == static_cast<const Counted&>(o).value; }
    bool IsGreater(const CQvcBase& o) const override { return value > static_cast<const Counted&>(o).value; }
    std::unique_ptr<CQvcBase> Clone() const override { return std::make_unique<Counted>(*this); }
};
int Counted::live = 0;

// The values of a list of Counted items from its cursor, as "1233".
std::string Values(CQvcList& list) {
    std::string out;
    for (auto* i = list.GetFirst(); i; i = list.GetNext())
        out += std::to_string(static_cast<Counted*>(i)->value);
    return out;
}

std::string Texts(CQvcListString& list) {
    std::string out;
    CQvcString t;
    for (bool ok = list.GetFirstText(t); ok; ok = list.GetNextText(t))
        out += t.Str() + "|";
    return out;
}

} // namespace

TEST(QvcList, OwnershipDuplicatesRemoveAndSort) {
    {
        CQvcList list(true);
        EXPECT_EQ(list.Add(std::make_unique<Counted>(3)), 1);
        EXPECT_EQ(list.Add(std::make_unique<Counted>(1)), 1);
        EXPECT_EQ(list.Add(std::make_unique<Counted>(3)), 0); // refused and deleted
        EXPECT_EQ(Counted::live, 2);
        EXPECT_EQ(list.Add(std::make_unique<Counted>(3), true), 1);
        EXPECT_EQ(list.Add(std::make_unique<Counted>(2)), 1);
        EXPECT_EQ(Values(list), "3132");
        EXPECT_EQ(static_cast<Counted*>(list.GetLast())->value, 2);
        list.Sort();
        EXPECT_EQ(Values(list), "1233");
        EXPECT_EQ(list.Remove(Counted(3)), 0);
        EXPECT_EQ(Counted::live, 3);
        EXPECT_EQ(list.Remove(Counted(9)), -1);
        EXPECT_TRUE(list.Find(Counted(3)) != nullptr && list.Find(Counted(9)) == nullptr);

        CQvcList copy(true);
        copy.Add(std::make_unique<Counted>(42));
        copy.CopyFrom(list);
        EXPECT_EQ(copy.Count(), 3);
        EXPECT_EQ(Counted::live, 6);
    }
    EXPECT_EQ(Counted::live, 0);

    // A list that does not own its items leaves them alone.
    Counted a(1), b(2);
    {
        CQvcList view(false);
        view.Add(&a);
        view.Add(&b);
        EXPECT_EQ(view.Add(&a), 0);
        view.Remove(a);
        view.RemoveAll();
    }
    EXPECT_EQ(Counted::live, 2);
}

TEST(QvcList, CursorSurvivesRemovalBehindIt) {
    CQvcList list(true);
    for (int i = 1; i <= 4; ++i)
        list.Add(std::make_unique<Counted>(i));
    std::string seen = std::to_string(static_cast<Counted*>(list.GetFirst())->value);
    seen += std::to_string(static_cast<Counted*>(list.GetNext())->value);
    list.Remove(Counted(1));
    for (auto* i = list.GetNext(); i; i = list.GetNext())
        seen += std::to_string(static_cast<Counted*>(i)->value);
    EXPECT_EQ(seen, "1234");
}

TEST(QvcListString, ParseTrimsSortsAndStopsAtTheFirstEmptyToken) {
    CQvcListString list;
    EXPECT_EQ(list.Parse("b ; A,c"), 1);
    EXPECT_EQ(Texts(list), "A|b|c|");
    EXPECT_EQ(list.Join(), "A,b,c");

    EXPECT_EQ(list.Parse("x,a,,b"), 1);
    EXPECT_EQ(Texts(list), "a|x|");
    // Duplicates by letter case are refused unless allowed.
    list.Parse("Bob,bob,BOB");
    EXPECT_EQ(list.Count(), 1);
    list.Parse("Bob,bob", true);
    EXPECT_EQ(list.Count(), 2);

    EXPECT_EQ(list.AddText("  carol "), 1);
    EXPECT_TRUE(list.HasText("CAROL"));
    EXPECT_EQ(list.RemoveText(" Carol"), 0);
    EXPECT_EQ(list.RemoveText("carol"), -1);

    CQvcListString bars("||", ";");
    bars.Parse("one;two||three");
    EXPECT_EQ(bars.Join(), "one||three||two");
    CQvcListString none("", ";");
    EXPECT_EQ(none.Parse("a"), 0);
}

TEST(QvcListNum, ParseKeepsOrderAndRefusesBadTokensOrDuplicates) {
    CQvcListNum list;
    EXPECT_EQ(list.Parse("1;2,0"), 1);
    EXPECT_EQ(list.Join(), "1,2,0");
    EXPECT_EQ(list.Parse("1,x"), 0);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Parse("3,3"), 0);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Parse("3,3", true), 1);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Parse("5,,6"), 1); // stops at the empty token
    EXPECT_EQ(list.Join(), "5");
    EXPECT_EQ(list.Parse("-4,00"), 0); // "00" converts to 0 but is not "0"

    list.Parse("30,10,20");
    EXPECT_EQ(std::vector<long>({list.GetAt(0), list.GetAt(3)}), std::vector<long>({30, CQvcListNum::kNoValue}));
    list.Sort();
    EXPECT_EQ(list.Join(), "10,20,30");
    EXPECT_EQ(std::vector<long>({list.GetFirst(), list.GetNext(), list.GetNext(), list.GetNext()}),
              std::vector<long>({10, 20, 30, CQvcListNum::kNoValue}));
    EXPECT_EQ(list.Add(20), 0);
    EXPECT_EQ(list.Add(20, true), 1);

    CQvcListNum bars("|", "/");
    bars.Parse("1/2|3");
    EXPECT_EQ(CQvcListNum(bars).Join(), "1|2|3");
}

TEST(QvcSectionString, EntriesCountsAndNumbering) {
    CQvcSectionString s;
    EXPECT_EQ(s.Count(), 0u);
    EXPECT_EQ(std::string(s.Buffer(), 2), std::string("\0\0", 2));

    const char buffer[] = "a=1\0b\0\0ignored\0";
    s.Set(buffer, sizeof buffer);
    EXPECT_EQ(s.CountEntries(), 2u);
    EXPECT_EQ(s.Count(), 6u);
    s.Append("");
    EXPECT_EQ(s.CountEntries(), 2u);
    s.AppendNumbered(0x1A, "text");
    EXPECT_EQ(std::string(s.Entries().back()), "0000001A|text");
    s.KeepLast(2);
    ASSERT_EQ(s.Entries().size(), 2u);
    EXPECT_EQ(std::string(s.Entries().front()), "b");
    EXPECT_EQ(std::string(s.Buffer(), s.Count() + 1), std::string("b\0" "0000001A|text\0\0", 17));
    s.KeepLast(5);
    EXPECT_EQ(s.CountEntries(), 2u);

    // A buffer without its closing NUL is read only up to the given size.
    const char cut[] = {'x', '=', '1', '\0', 'y'};
    s.Set(cut, sizeof cut);
    EXPECT_EQ(s.CountEntries(), 2u);
    EXPECT_EQ(std::string(s.Entries().back()), "y");
}

// A lazy value reads as the default without storing anything, stores on the first edit,
// forgets a default written back, and copies deeply.
TEST(QvcLazyTest, StoresOnlyWhatDiffersFromTheDefault) {
    struct Pair {
        int a = 7;
        std::string b;
        bool operator==(const Pair&) const = default;
    };
    CQvcLazy<Pair> lazy;
    EXPECT_EQ(lazy->a, 7);
    EXPECT_FALSE(lazy.IsStored());

    lazy.Edit().b = "x";
    CQvcLazy<Pair> copy = lazy;
    lazy.Edit().b = "y";
    EXPECT_EQ(copy->b, "x");
    EXPECT_FALSE(copy == lazy);

    copy.Assign(Pair{});
    EXPECT_FALSE(copy.IsStored());
    EXPECT_TRUE(copy == CQvcLazy<Pair>());
    copy = lazy;
    EXPECT_EQ(copy->b, "y");
    lazy.Reset();
    EXPECT_EQ(lazy->b, "");
    EXPECT_EQ(CQvcLazy<Pair>::Default().a, 7);
}
