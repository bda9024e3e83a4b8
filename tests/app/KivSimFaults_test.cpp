#include "tests/sim/KivSimFaults.h"

#include <gtest/gtest.h>

namespace {

struct TFaultTextCase {
    const char* text;
    bool ok;
    TSimFaultKind kind;
    unsigned first, count;
    int param;
};

TEST(KivSimFaults, FaultTexts)
{
    const TFaultTextCase cases[] = {
        {"silence", true, TSimFaultKind::Silence, 0, 1, -1},
        {"silence@0/3", true, TSimFaultKind::Silence, 0, 3, -1},
        {"exception@5", true, TSimFaultKind::Exception, 5, 1, -1},
        {"exception@5:2", true, TSimFaultKind::Exception, 5, 1, 2},
        {"split@2/4:20", true, TSimFaultKind::Split, 2, 4, 20},
        {"late:900", true, TSimFaultKind::Late, 0, 1, 900},
        {"wrongaddr@1", true, TSimFaultKind::WrongAddress, 1, 1, -1},
        {"close@3", true, TSimFaultKind::CloseConnection, 3, 1, -1},
        {"wrongtid", true, TSimFaultKind::WrongTid, 0, 1, -1},
        {"wrongfunc@7", true, TSimFaultKind::WrongFunction, 7, 1, -1},
        {"badcrc@0/2", true, TSimFaultKind::BadCrc, 0, 2, -1},
        {"", false, {}, 0, 0, 0},
        {"silent", false, {}, 0, 0, 0},
        {"silence@", false, {}, 0, 0, 0},
        {"silence@1/", false, {}, 0, 0, 0},
        {"silence:x", false, {}, 0, 0, 0},
        {"silence@1 ", false, {}, 0, 0, 0},
    };
    for (const auto& c : cases) {
        const auto f = ParseSimFault(c.text);
        ASSERT_EQ(f.has_value(), c.ok) << c.text;
        if (!f)
            continue;
        EXPECT_EQ(f->Kind, c.kind) << c.text;
        EXPECT_EQ(f->First, c.first) << c.text;
        EXPECT_EQ(f->Count, c.count) << c.text;
        EXPECT_EQ(f->Param, c.param) << c.text;
        EXPECT_EQ(ParseSimFault(SimFaultText(*f))->Count, f->Count);
    }
}

TEST(KivSimFaults, RunOfRequests)
{
    const TSimFault f{TSimFaultKind::Silence, 2, 3, -1};
    const bool want[] = {false, false, true, true, true, false};
    for (unsigned i = 0; i < 6; ++i)
        EXPECT_EQ(f.Covers(i), want[i]) << i;
    EXPECT_EQ(SimFaultParam({TSimFaultKind::Late, 0, 1, -1}), 1000);
    EXPECT_EQ(SimFaultParam({TSimFaultKind::Late, 0, 1, 5}), 5);
}

} // namespace
