// pelmora-sim run as a program on whole scripts, its whole output compared.

#include "tests/LogicTestSupport.h"

#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include <fstream>

namespace {

using pelmora::test::ScratchDir;

struct SimRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

constexpr char kContacts[] = "BEGIN:VCARD\nVERSION:3.0\nUID:ann\nN:Smith;Ann;;;\n"
                             "TEL;TYPE=CELL:07700 900111\nEND:VCARD\n"
                             "BEGIN:VCARD\nVERSION:3.0\nUID:bob\nN:Jones;Bob;;;\n"
                             "TEL;TYPE=CELL:07700 900222\nEND:VCARD\n";

class SimEndToEnd : public ::testing::Test {
protected:
    void SetUp() override { std::ofstream(dir.Path() / "contacts.vcf") << kContacts; }
    SimRun Run(const std::string& script)
    {
        QProcess sim;
        sim.start(QStringLiteral(PELMORA_SIM),
            {QStringLiteral("--data-dir"), Path("data"), QStringLiteral("--contacts"),
                Path("contacts.vcf"), QStringLiteral("--clock"),
                QStringLiteral("2026-01-05T09:00:00"), QStringLiteral("--screenshots"),
                Path("shots"), QStringLiteral("-")});
        sim.write(QByteArray::fromStdString(script));
        sim.closeWriteChannel();
        SimRun run;
        if (!sim.waitForFinished(60000))
            return run;
        run.exitCode = sim.exitCode();
        run.out = sim.readAllStandardOutput().toStdString();
        run.err = sim.readAllStandardError().toStdString();
        return run;
    }
    QString Path(const char* name) const
    {
        return QString::fromStdString((dir.Path() / name).string());
    }

    ScratchDir dir;
};

} // namespace
