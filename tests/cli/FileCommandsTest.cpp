#include "CliProcess.h"

#include "devices/InputDevice.h"
#include "devices/OutputDevice.h"
#include "model/Gates.h"
#include "model/TagDevice.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>

namespace {

// A macro part holding an input tag, an inverter and an output tag; with inner set, the inverter
// is itself wrapped in one more macro part.
TMacro* AddInverterPart(TTestCircuit& outer, float x, bool inner) {
    auto* macro = new TMacro;
    macro->Closed = false;
    TTestCircuit inside(macro);
    auto* in = inside.Add<TTagDevice>(-50, 0);
    auto* out = inside.Add<TTagDevice>(50, 0);
    inside.Add<TNotGate>(0, 0);
    if (inner)
        AddInverterPart(inside, 0, false);
    for (TTagDevice* tag : {in, out}) {
        auto* outline = new TMacroPin;
        outline->PlaceAt(tag == in ? QPoint(-20, 0) : QPoint(20, 0));
        macro->Pins->AddChild(outline);
        outline->Partner = tag->MacroPin.get();
        tag->MacroPin->Partner = outline;
    }
    macro->Closed = true;
    macro->Nested = true;
    macro->Offset(x, 0);
    macro->UpdateVertices();
    outer.Root->AddObject(macro);
    return macro;
}

// An inverter between a supply and an LED.
void BuildInverter(TTestCircuit& circuit) {
    auto* supply = circuit.Add<TSupply>(0, 0);
    auto* gate = circuit.Add<TNotGate>(80, 0);
    auto* led = circuit.Add<TLEDDevice>(160, 0);
    led->SetLabel(QStringLiteral("out"));
    circuit.Wire(supply->Pin(0), gate->Pin(1));
    circuit.Wire(gate->Pin(0), led->Pin(0));
}

} // namespace

TEST_F(CliTest, InfoShowsTheHeaderCountsAndNesting) {
    TTestCircuit circuit;
    BuildInverter(circuit);
    circuit.Root->Datasheet = QStringLiteral("inverter.pdf");
    circuit.Root->HelpTopic = QStringLiteral("12");
    const QString flat = Save(circuit, QStringLiteral("flat.tvm"), QStringLiteral("inverter"));
    const TCliResult result = RunCli({"info", flat});
    EXPECT_EQ(result.ExitCode, 0) << result.Err.toStdString();
    EXPECT_EQ(result.Out, QStringLiteral("File: %1\n"
                                         "Version: 34\n"
                                         "Name: inverter\n"
                                         "Datasheet: inverter.pdf\n"
                                         "Help context: 12\n"
                                         "Nesting depth: 0\n"
                                         "Objects: 5\n"
                                         "  TLEDDevice 1\n"
                                         "  TNotGate 1\n"
                                         "  TSupply 1\n"
                                         "  TWire 2\n")
                              .arg(flat));

    // Two parts, one of which holds another: everything inside is counted.
    AddInverterPart(circuit, 300, true);
    AddInverterPart(circuit, 400, false);
    const QString nested = Save(circuit, QStringLiteral("nested.tvm"));
    const QStringList lines = RunCli({"info", nested}).Out.split('\n');
    EXPECT_TRUE(lines.contains("Name: "));
    EXPECT_TRUE(lines.contains("Nesting depth: 2"));
    EXPECT_TRUE(lines.contains("  TMacro 3"));
    EXPECT_TRUE(lines.contains("  TNotGate 4"));
    EXPECT_TRUE(lines.contains("  TTagDevice 6"));
    EXPECT_TRUE(lines.contains("Objects: 17"));
}

TEST_F(CliTest, RenderDrawsTheCircuitIntoPngSvgAndPdf) {
    TTestCircuit circuit;
    BuildInverter(circuit);
    const QString file = Save(circuit, QStringLiteral("inverter.tvm"));

    const QString png = Path(QStringLiteral("inverter.png"));
    ASSERT_EQ(RunCli({"render", file, "--out", png}).ExitCode, 0);
    const QImage image(png);
    ASSERT_FALSE(image.isNull());
    const QRect bounds = circuit.Root->GetBounds().ToQRect();
    EXPECT_EQ(image.size(), bounds.size() + QSize(20, 20));
    EXPECT_EQ(image.pixel(0, 0), qRgb(255, 255, 255)) << "white background";
    int ink = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ink += image.pixel(x, y) != qRgb(255, 255, 255) ? 1 : 0;
    EXPECT_GT(ink, 100);

    const QString large = Path(QStringLiteral("large.PNG"));
    ASSERT_EQ(RunCli({"render", file, "--out", large, "--scale", "2.5"}).ExitCode, 0);
    EXPECT_EQ(QImage(large).width(), static_cast<int>(std::ceil((bounds.width() + 20) * 2.5)));
    ASSERT_EQ(RunCli({"render", file, "--out", large, "--transparent"}).ExitCode, 0);
    EXPECT_EQ(qAlpha(QImage(large).pixel(0, 0)), 0);

    const QString svg = Path(QStringLiteral("inverter.svg"));
    ASSERT_EQ(RunCli({"render", file, "--out", svg}).ExitCode, 0);
    const QByteArray svgBytes = ReadBytes(svg);
    EXPECT_TRUE(svgBytes.contains("<svg"));
    EXPECT_TRUE(svgBytes.contains("<path") || svgBytes.contains("<polyline") ||
                svgBytes.contains("<polygon"));

    const QString pdf = Path(QStringLiteral("inverter.pdf"));
    ASSERT_EQ(RunCli({"render", file, "--out", pdf}).ExitCode, 0);
    EXPECT_TRUE(ReadBytes(pdf).startsWith("%PDF"));

    for (const QStringList& args :
         {QStringList{"render", file}, QStringList{"render", file, "--out", "a.bmp"},
          QStringList{"render", file, "--out", png, "--scale", "0"},
          QStringList{"render", file, "--out", png, "--scale", "100"}}) {
        const TCliResult bad = RunCli(args);
        EXPECT_EQ(bad.ExitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(bad.Err.contains("tessivar-cli render: ")) << bad.Err.toStdString();
    }
    EXPECT_EQ(RunCli({"render", file, "--out", Path(QStringLiteral("no/such/folder.png"))}).ExitCode, 1);
}

TEST_F(CliTest, ResaveWritesTheSameBytes) {
    TTestCircuit circuit;
    BuildInverter(circuit);
    AddInverterPart(circuit, 300, true);
    circuit.Root->Datasheet = QStringLiteral("inverter.pdf");
    const QString file = Save(circuit, QStringLiteral("in.tvm"), QStringLiteral("inverter"));
    const QString copy = Path(QStringLiteral("out.tvm"));
    const TCliResult result = RunCli({"resave", file, copy});
    EXPECT_EQ(result.ExitCode, 0) << result.Err.toStdString();
    EXPECT_EQ(ReadBytes(copy), ReadBytes(file));
    // In place as well.
    EXPECT_EQ(RunCli({"resave", copy, copy}).ExitCode, 0);
    EXPECT_EQ(ReadBytes(copy), ReadBytes(file));

    const TCliResult missing = RunCli({"resave", Path(QStringLiteral("gone.tvm")), copy});
    EXPECT_EQ(missing.ExitCode, 2);
    EXPECT_EQ(missing.Err, "Unable to locate the Tessivar file 'gone.tvm'\n");
    EXPECT_EQ(RunCli({"resave", file}).ExitCode, 2);
    EXPECT_EQ(RunCli({"resave", file, Path(QStringLiteral("no/such/folder.tvm"))}).ExitCode, 1);
    EXPECT_EQ(ReadBytes(copy), ReadBytes(file));
}

// Every command that writes a file keeps the old one when the disk fills up, and says why.
TEST_F(CliTest, AFullDiskKeepsTheOldOutputOfEveryCommand) {
    TTestCircuit circuit;
    BuildInverter(circuit);
    const QString file = Save(circuit, QStringLiteral("in.tvm"));
    const QStringList outputs = {"out.tvm", "out.png", "out.svg", "out.pdf", "out.vcd"};
    for (const QString& name : outputs) {
        const QString out = WriteBytes(name, "old");
        const QStringList args = name == "out.tvm"   ? QStringList{"resave", file, out}
                                 : name == "out.vcd" ? QStringList{"run", file, "--vcd", out}
                                                     : QStringList{"render", file, "--out", out};
        const TCliResult result = RunCli(args, 64);
        EXPECT_EQ(result.ExitCode, 1) << name.toStdString();
        EXPECT_TRUE(result.Err.endsWith(QStringLiteral(": cannot write '%1': File too large\n").arg(out)))
            << result.Err.toStdString();
        EXPECT_EQ(ReadBytes(out), "old") << name.toStdString();
    }
    EXPECT_EQ(QDir(Path(".")).entryList(QDir::Files | QDir::Hidden).size(), outputs.size() + 1)
        << "no temporary is left behind";
}

// Standard output, pipes and devices are written into; what is neither such a device nor a
// regular file is refused.
TEST_F(CliTest, OutputsMayBeStandardOutputButNeverReplaceAFolder) {
    TTestCircuit circuit;
    BuildInverter(circuit);
    const QString file = Save(circuit, QStringLiteral("in.tvm"));
    const QString vcd = Path(QStringLiteral("run.vcd"));
    ASSERT_EQ(RunCli({"run", file, "--steps", "3", "--vcd", vcd}).ExitCode, 0);
    const QString dump = QString::fromUtf8(ReadBytes(vcd));

    const TCliResult dash = RunCli({"run", file, "--steps", "3", "--vcd", "-"});
    EXPECT_EQ(dash.ExitCode, 0);
    EXPECT_EQ(dash.Out, dump) << "the dump takes the place of the output lines";
    const TCliResult device = RunCli({"run", file, "--steps", "3", "--vcd", "/dev/stdout"});
    EXPECT_EQ(device.Out, dump + "out=0\n");
    const TCliResult resaved = RunCli({"resave", file, "/dev/stdout"});
    EXPECT_EQ(resaved.OutBytes, ReadBytes(file));
    // Standard output sent into a file: the dump joins the printed lines there, as into a pipe.
    const QString printed = Path(QStringLiteral("printed.txt"));
    QProcess intoFile;
    intoFile.setStandardOutputFile(printed);
    intoFile.start(QStringLiteral(TESSIVAR_CLI), {"run", file, "--steps", "3", "--vcd", "/dev/stdout"});
    ASSERT_TRUE(intoFile.waitForFinished(120000));
    EXPECT_EQ(intoFile.exitCode(), 0);
    EXPECT_EQ(QString::fromUtf8(ReadBytes(printed)), dump + "out=0\n");

    ASSERT_TRUE(QDir(Path(".")).mkdir("folder.vcd"));
    const TCliResult folder = RunCli({"run", file, "--vcd", Path("folder.vcd")});
    EXPECT_EQ(folder.ExitCode, 1);
    EXPECT_TRUE(folder.Err.contains("Is a directory")) << folder.Err.toStdString();
    EXPECT_TRUE(QFileInfo(Path("folder.vcd")).isDir());
}

TEST_F(CliTest, RepairedWiringIsReportedWithoutChangingTheExitCode) {
    const QString file = WriteBytes(QStringLiteral("damaged.tvm"), DamagedWiringBytes());
    const QString warning =
        RepairedWiringText(file,
                           "1 wire that no list held was removed; 1 connection recorded at one end only "
                           "was cut") +
        '\n';
    for (const char* command : {"run", "info"}) {
        const TCliResult result = RunCli({command, file});
        EXPECT_EQ(result.ExitCode, 0) << command;
        EXPECT_EQ(result.Err, warning) << command;
    }
}
