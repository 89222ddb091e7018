// The owner check that escape 0x6FFFFC00 runs: the job's recorded owner
// against the printing user, and the secure-print permissions it allows.
#include "tests/gfx_escape/escfix.h"

namespace {

struct OwnerCase {
    const char* name;
    std::u16string owner;  // recorded in the job DEVMODE
    LONG lOwnerSum;
    BYTE cchOwner;
    std::u16string user;   // sent with 0x6FFFFF02
    SHORT nState;          // W 1518 afterwards
};

LONG Sum(const std::u16string& s)
{
    LONG l = 0;
    for (char16_t c : s)
        l += c;
    return l;
}

const std::u16string kLong(40, u'n');

const OwnerCase s_aOwners[] = {
    {"both empty", u"", 0, 0, u"", 1},
    {"same owner", u"sato", Sum(u"sato"), 4, u"sato", 2},
    {"no recorded owner", u"", 0, 0, u"sato", 3},
    {"no printing user", u"sato", Sum(u"sato"), 4, u"", 4},
    {"another user", u"sato", Sum(u"sato"), 4, u"kato", 5},
    {"same first 32 characters, other sum", kLong, Sum(kLong) + 1, 40, kLong, 5},
    {"same first 32 characters and sum", kLong, Sum(kLong), 40, kLong, 2},
};

class Owner : public ::testing::TestWithParam<OwnerCase> {};

TEST_P(Owner, StateAndPermissions)
{
    const OwnerCase& c = GetParam();
    EscPdev e;
    std::vector<BYTE> owner = Wide(c.owner, 64);  // the DEVMODE keeps 32 characters
    std::memcpy(e.At(OFF_D(2427)), owner.data(), owner.size());
    e.PokeLong(OFF_D(2559), c.lOwnerSum);
    e.Poke(OFF_D(2563), {c.cchOwner});
    ASSERT_EQ(e.Esc(ESCAPE_JOB_USERNAME, Wide(c.user, 510)), 1u);
    ASSERT_EQ(e.Esc(ESCAPE_OWNER_CHECK, 0, nullptr), 1u);
    SHORT nState;
    std::memcpy(&nState, e.At(OFF_W(1518)), 2);
    EXPECT_EQ(nState, c.nState);
    LONG lAllowed = c.nState <= 2 ? 1 : 0;
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(e.Long(OFF_W(1520 + 4 * i)), lAllowed) << "permission " << i;
}

INSTANTIATE_TEST_SUITE_P(Escapes, Owner, ::testing::ValuesIn(s_aOwners),
                         [](const auto& info) {
                             std::string s;
                             for (const char* p = info.param.name; *p; ++p)
                                 s += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             return s;
                         });

}  // namespace
