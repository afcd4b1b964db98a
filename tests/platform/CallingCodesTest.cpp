#include "platform/modem/CallingCodes.h"

#include <gtest/gtest.h>

using namespace pelmora;

namespace {

struct HomeCase {
    const char* name;
    const char* operatorCode;
    QStringList ownNumbers;
    std::optional<HomeCountry> expected;
};

const HomeCase kHomes[] = {
    {"UkNetwork", "23410", {}, HomeCountry {"+44", "the network 23410"}},
    {"UsNetworkThreeDigitMnc", "310260", {}, HomeCountry {"+1", "the network 310260"}},
    {"GermanNetwork", "26201", {"+447700900111"}, HomeCountry {"+49", "the network 26201"}},
    {"FinnishNetwork", "24491", {}, HomeCountry {"+358", "the network 24491"}},
    {"NoNetworkSimNumber", "", {"+358401234567"},
        HomeCountry {"+358", "the SIM's number +358401234567"}},
    {"NationalSimNumberTellsNothing", "", {"07700900111"}, std::nullopt},
    {"InternationalNetworksHaveNoCountry", "90128", {}, std::nullopt},
    {"UnknownMccFallsBackToTheSim", "99901", {"+33612345678"},
        HomeCountry {"+33", "the SIM's number +33612345678"}},
    {"ShortOrNonNumericCode", "23", {}, std::nullopt},
    {"Letters", "abcde", {}, std::nullopt},
};

class HomeCountryTable : public ::testing::TestWithParam<HomeCase> { };

INSTANTIATE_TEST_SUITE_P(Cases, HomeCountryTable, ::testing::ValuesIn(kHomes),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace

TEST_P(HomeCountryTable, FromTheNetworkElseTheSim)
{
    const HomeCase& c = GetParam();
    EXPECT_EQ(HomeCountryOf(QString::fromLatin1(c.operatorCode), c.ownNumbers), c.expected);
}
