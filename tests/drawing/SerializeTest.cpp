#include "TestCircuit.h"
#include "TestSupport.h"

#include "devices/InputDevice.h"
#include "drawing/Segment.h"
#include "drawing/Serialize.h"

#include <QBuffer>
#include <gtest/gtest.h>

using testsupport::Bytes;

namespace {

QByteArray WriteWith(const std::function<void(TSerializeWriter&)>& body) {
    QByteArray bytes;
    {
        TSerializeWriter writer(&bytes);
        body(writer);
        writer.Finish();
    }
    return bytes;
}

QByteArray WriteObjects(std::initializer_list<TSerialize*> objects) {
    return WriteWith([&](TSerializeWriter& writer) {
        for (TSerialize* object : objects)
            writer.WriteObject(object);
    });
}

QByteArray WithName(QByteArray prefix, const char* name) {
    prefix.append(static_cast<char>(std::strlen(name)));
    prefix.append(name);
    return prefix;
}

// A drawing with every class of the drawing layer, nested two levels deep.
std::unique_ptr<TGraphicList> SampleDrawing() {
    auto root = std::make_unique<TGraphicList>();
    auto* polygon = new TPolygon;
    polygon->AddPoint({0, 0});
    polygon->AddPoint({10, 0});
    polygon->AddPoint({10, 10});
    polygon->Brush.Colour = 0x123456;
    polygon->Pen.Width = 3;
    root->AddChild(polygon);
    auto* line = new TPolyline;
    line->AddArc(true, 5, 5, 0, 180, 4, 3);
    line->UpdateVertices();
    line->Pen.Colour = 0xFF;
    auto* inner = new TGraphicList;
    inner->AddChild(line);
    inner->AddChild(new TSegment);
    root->AddChild(inner);
    return root;
}

template <class T> std::unique_ptr<T> ReadRootOf(const QByteArray& bytes) {
    TSerializeReader reader(bytes);
    T* root = reader.ReadRoot<T>();
    reader.Commit();
    return std::unique_ptr<T>(root);
}

} // namespace

TEST(SerializeBytes, IntegersUseTheShortestTag) {
    const struct {
        int32_t Value;
        QByteArray Expected;
    } cases[] = {
        {0, Bytes({0x02, 0x00})},
        {127, Bytes({0x02, 0x7F})},
        {-128, Bytes({0x02, 0x80})},
        {128, Bytes({0x03, 0x80, 0x00})},
        {-129, Bytes({0x03, 0x7F, 0xFF})},
        {32767, Bytes({0x03, 0xFF, 0x7F})},
        {-32769, Bytes({0x04, 0xFF, 0x7F, 0xFF, 0xFF})},
        {40000, Bytes({0x04, 0x40, 0x9C, 0x00, 0x00})},
    };
    for (const auto& c : cases) {
        const QByteArray bytes = WriteWith([&](TSerializeWriter& w) { w.WriteInteger(c.Value); });
        EXPECT_EQ(bytes, c.Expected) << c.Value;
        TSerializeReader reader(bytes);
        EXPECT_EQ(reader.ReadInteger(), c.Value);
    }
}

TEST(SerializeBytes, StringsSwitchToTheLongTagAt256) {
    const QString s255(255, 'a');
    const QString s256(256, 'b');
    const QByteArray shortBytes = WriteWith([&](TSerializeWriter& w) { w.WriteString(s255); });
    const QByteArray longBytes = WriteWith([&](TSerializeWriter& w) { w.WriteString(s256); });
    EXPECT_EQ(shortBytes.left(2), Bytes({0x06, 0xFF}));
    EXPECT_EQ(shortBytes.size(), 2 + 255);
    EXPECT_EQ(longBytes.left(5), Bytes({0x0C, 0x00, 0x01, 0x00, 0x00}));
    EXPECT_EQ(longBytes.size(), 5 + 256);
    TSerializeReader reader(shortBytes + longBytes);
    EXPECT_EQ(reader.ReadString(), s255);
    EXPECT_EQ(reader.ReadString(), s256);
}

TEST(SerializeBytes, StringsAreWindows1252) {
    const QString text = QString::fromUtf8("€ü\u00AD");
    const QByteArray bytes = WriteWith([&](TSerializeWriter& w) { w.WriteString(text); });
    EXPECT_EQ(bytes, Bytes({0x06, 0x03, 0x80, 0xFC, 0xAD}));
    TSerializeReader reader(bytes);
    EXPECT_EQ(reader.ReadString(), text);
    // Every byte value survives a round trip, the undefined ones included.
    QByteArray all;
    for (int i = 0; i < 256; ++i)
        all.append(static_cast<char>(i));
    QByteArray stored = Bytes({0x0C, 0x00, 0x01, 0x00, 0x00}) + all;
    TSerializeReader allReader(stored);
    const QString decoded = allReader.ReadString();
    EXPECT_EQ(WriteWith([&](TSerializeWriter& w) { w.WriteString(decoded); }), stored);
}

TEST(SerializeBytes, BooleansFloatsAndLists) {
    const QByteArray bytes = WriteWith([](TSerializeWriter& w) {
        w.WriteBoolean(true);
        w.WriteBoolean(false);
        w.WriteFloat(1.0f);
        w.WriteListBegin();
        w.WriteListEnd();
    });
    EXPECT_EQ(bytes, Bytes({0x09, 0x08, 0x00, 0x00, 0x80, 0x3F, 0x01, 0x00}));
    // Any byte other than 9 reads as false, without error.
    TSerializeReader reader(Bytes({0x09, 0x08, 0x07, 0x00, 0xFF}));
    EXPECT_TRUE(reader.ReadBoolean());
    EXPECT_FALSE(reader.ReadBoolean());
    EXPECT_FALSE(reader.ReadBoolean());
    EXPECT_FALSE(reader.ReadBoolean());
    EXPECT_FALSE(reader.ReadBoolean());
}

TEST(SerializeBytes, ObjectMarkers) {
    EXPECT_EQ(WriteObjects({nullptr}), Bytes({0x02, 0x0F}));

    TFloatPoint point(1.0f, 2.0f);
    EXPECT_EQ(WriteObjects({&point}), WithName(Bytes({0x02, 0x00, 0x06}), "TFloatPoint") +
                                          Bytes({0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x00, 0x40}));

    TSerializeList first, second;
    const QByteArray lists = WriteObjects({&first, &second});
    EXPECT_EQ(lists.mid(lists.size() - 6), Bytes({0x02, 0x01, 0x02, 0x00, 0x01, 0x00}));

    // Written in full once; afterwards a back-reference with its index.
    const QByteArray twice = WriteObjects({&point, &point});
    EXPECT_EQ(twice.right(4), Bytes({0x02, 0x02, 0x02, 0x00}));
}

TEST(SerializeBytes, BackReferencesCarryLargeIndexes) {
    TSerializeList list;
    for (int i = 0; i < 300; ++i)
        list.Add(new TFloatPoint(static_cast<float>(i), 0));
    TSerialize* last = list.Items(299);
    const QByteArray bytes = WriteWith([&](TSerializeWriter& w) {
        w.WriteObject(&list);
        w.WriteObject(last);
    });
    EXPECT_EQ(bytes.right(5), Bytes({0x02, 0x02, 0x03, 0x2C, 0x01})); // index 300
}

TEST(SerializeBytes, SignatureAndDescriptors) {
    const QByteArray bytes = WriteWith([](TSerializeWriter& w) {
        w.FileType = 50397;
        w.Version = 34;
        w.WriteSignature();
        w.AddStringDescriptor(100, "adder");
        w.AddIntegerDescriptor(200, 1);
        w.WriteDescriptors();
    });
    EXPECT_EQ(bytes.left(5), Bytes({0x04, 0xDD, 0xC4, 0x22, 0x00}));
    EXPECT_EQ(bytes.mid(5), Bytes({0x01, 0x02, 0x01, 0x02, 0x64, 0x06, 0x05, 'a',  'd',  'd',
                                   'e',  'r',  0x02, 0x02, 0x03, 0xC8, 0x00, 0x02, 0x01, 0x00}));

    TSerializeReader reader(
        bytes + Bytes({0x01, 0x02, 0x03, 0x02, 0x07, 0x09, 0x02, 0x05, 0x02, 0x09, 0x00, 0x02, 0x09}));
    reader.FileType = 50397;
    reader.ReadSignature();
    EXPECT_EQ(reader.Version, 34);
    reader.ReadDescriptors();
    QString text = "unchanged";
    EXPECT_FALSE(reader.FindStringDescriptor(200, text));
    EXPECT_EQ(text, "unchanged");
    EXPECT_TRUE(reader.FindStringDescriptor(100, text));
    EXPECT_EQ(text, "adder");
    // A second list replaces the first: a boolean descriptor and one of an unknown kind without value.
    reader.ReadDescriptors();
    ASSERT_EQ(reader.Descriptors().size(), 2u);
    EXPECT_TRUE(reader.Descriptors()[0].Flag);
    EXPECT_EQ(reader.Descriptors()[1].Kind, 5);
    EXPECT_EQ(reader.ReadInteger(), 9);
}

TEST(SerializeBytes, WrongSignatureIsAnInvalidFileType) {
    TSerializeReader reader(Bytes({0x04, 0x19, 0xED, 0x14, 0x00}));
    reader.FileType = 50397;
    EXPECT_THROW(reader.ReadSignature(), EInvalidFileType);
    // Only the low 16 bits name the type; bits 24 to 31 are ignored.
    TSerializeReader other(Bytes({0x04, 0xDD, 0xC4, 0x1E, 0x7F}));
    other.FileType = 50397;
    other.ReadSignature();
    EXPECT_EQ(other.Version, 30);
}

TEST(SerializeRoundTrip, EveryDrawingClassIsByteIdentical) {
    auto drawing = SampleDrawing();
    const QByteArray first = WriteObjects({drawing.get()});
    const QByteArray again = WriteObjects({drawing.get()});
    EXPECT_EQ(first, again) << "a second writer must write the same bytes";

    auto copy = ReadRootOf<TGraphicList>(first);
    EXPECT_EQ(WriteObjects({copy.get()}), first);
    ASSERT_EQ(copy->ChildCount(), 2);
    auto* polygon = KindCast<TPolygon>(copy->Child(0));
    ASSERT_NE(polygon, nullptr);
    EXPECT_EQ(polygon->Brush.Colour, 0x123456u);
    EXPECT_EQ(polygon->Pen.Width, 3);
    EXPECT_EQ(polygon->GetVertex(2), QPoint(10, 10));
}

TEST(SerializeRoundTrip, ClassNamesIgnoreLetterCase) {
    QByteArray bytes =
        WithName(Bytes({0x02, 0x00, 0x06}), "tfloatPOINT") + Bytes({0, 0, 0x80, 0x3F, 0, 0, 0, 0x40});
    auto point = ReadRootOf<TFloatPoint>(bytes);
    EXPECT_EQ(point->X, 1.0f);
    EXPECT_EQ(point->Y, 2.0f);
}

TEST(SerializeRoundTrip, ProgressReachesOneHundredAtTheLastObject) {
    auto drawing = SampleDrawing();
    const QByteArray bytes = WriteObjects({drawing.get()});
    std::vector<int32_t> reports;
    TSerializeReader reader(bytes);
    reader.OnProgress = [&](int32_t percent) { reports.push_back(percent); };
    auto* root = reader.ReadRoot<TGraphicList>();
    reader.Commit();
    delete root;
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.back(), 100);
    EXPECT_TRUE(std::is_sorted(reports.begin(), reports.end()));
}

TEST(SerializeRoundTrip, ReaderLeavesTheDeviceAfterTheLastByteConsumed) {
    TFloatPoint point(3, 4);
    QByteArray bytes = WriteObjects({&point}) + "tail";
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    {
        TSerializeReader reader(&buffer);
        auto* root = reader.ReadRoot<TFloatPoint>();
        reader.Commit();
        delete root;
    }
    EXPECT_EQ(buffer.readAll(), "tail");
}

TEST(SerializeRoundTrip, WriterResetsWrittenOnItsObjects) {
    TFloatPoint point;
    {
        QByteArray bytes;
        TSerializeWriter writer(&bytes);
        writer.WriteObject(&point);
        EXPECT_TRUE(point.Written);
        EXPECT_EQ(point.StreamIndex, 0);
    }
    EXPECT_FALSE(point.Written);
}

// ---------------------------------------------------------------------------------------------------
// Untrusted streams: every malformed input is a read error, and nothing leaks (checked under ASan).

TEST(SerializeUntrusted, EveryTruncationIsAReadError) {
    auto drawing = SampleDrawing();
    const QByteArray bytes = WriteObjects({drawing.get()});
    for (int size = 0; size < bytes.size(); ++size) {
        TSerializeReader reader(bytes.left(size));
        EXPECT_THROW(reader.ReadRoot<TGraphicList>(), EReadError) << "truncated at " << size;
    }
}

TEST(SerializeUntrusted, MalformedStreamsAreReadErrors) {
    const QByteArray pointName = WithName(Bytes({0x02, 0x00, 0x06}), "TFloatPoint");
    const struct {
        const char* What;
        QByteArray Bytes;
    } cases[] = {
        {"wrong tag for a marker", Bytes({0x06, 0x00})},
        {"unknown class", WithName(Bytes({0x02, 0x00, 0x06}), "TNoSuchClass")},
        {"class index past the list", Bytes({0x02, 0x01, 0x02, 0x00})},
        {"back-reference past the objects", Bytes({0x02, 0x02, 0x02, 0x05})},
        {"negative back-reference", Bytes({0x02, 0x02, 0x02, 0xFF})},
        {"string longer than the stream", Bytes({0x02, 0x00, 0x0C, 0xFF, 0xFF, 0xFF, 0x7F, 'T'})},
        {"nil where an object is required", Bytes({0x02, 0x0F})},
        {"list without its end", WithName(Bytes({0x02, 0x00, 0x06}), "TSerializeList") + Bytes({0x01})},
        {"list without its begin",
         WithName(Bytes({0x02, 0x00, 0x06}), "TSerializeList") + Bytes({0x02, 0x0F})},
    };
    for (const auto& c : cases) {
        TSerializeReader reader(c.Bytes);
        EXPECT_THROW(reader.ReadRoot<TSerialize>(), EReadError) << c.What;
    }
}

TEST(SerializeUntrusted, AnObjectOfTheWrongClassIsAReadError) {
    // A polyline whose point list is another polyline.
    const QByteArray forged =
        WithName(Bytes({0x02, 0x00, 0x06}), "TPolyline") +
        Bytes({0x02, 0x00, 0x02, 0x01, 0x02, 0x01, 0x02, 0x00, 0x02, 0x00, 0x02, 0x01}) +
        WithName(Bytes({0x02, 0x00, 0x06}), "TSerializeList") + Bytes({0x01, 0x00});
    TSerializeReader reader(forged);
    EXPECT_THROW(reader.ReadRoot<TPolyline>(), EReadError);

    // A root of another class than the caller expects.
    TFloatPoint point;
    TSerializeReader pointReader(WriteObjects({&point}));
    EXPECT_THROW(pointReader.ReadRoot<TGraphicList>(), EReadError);
}

TEST(SerializeUntrusted, SharedOwnershipIsAReadError) {
    // Two polylines in one list; the second refers back to the first one's point list (object 2).
    const QByteArray forged =
        WithName(Bytes({0x02, 0x00, 0x06}), "TSerializeList") + Bytes({0x01}) +
        WithName(Bytes({0x02, 0x00, 0x06}), "TPolyline") +
        Bytes({0x02, 0x00, 0x02, 0x01, 0x02, 0x01, 0x02, 0x00, 0x01, 0x00}) +
        Bytes({0x02, 0x01, 0x02, 0x01, 0x02, 0x00, 0x02, 0x01, 0x02, 0x02, 0x02, 0x02}) + Bytes({0x00});
    TSerializeReader reader(forged);
    EXPECT_THROW(reader.ReadRoot<TSerializeList>(), EReadError);
    // The same stream with a list of its own for the second polyline reads.
    const QByteArray sound =
        WithName(Bytes({0x02, 0x00, 0x06}), "TSerializeList") + Bytes({0x01}) +
        WithName(Bytes({0x02, 0x00, 0x06}), "TPolyline") +
        Bytes({0x02, 0x00, 0x02, 0x01, 0x02, 0x01, 0x02, 0x00, 0x01, 0x00}) +
        Bytes({0x02, 0x01, 0x02, 0x01, 0x02, 0x00, 0x02, 0x01, 0x02, 0x01, 0x02, 0x00, 0x01, 0x00}) +
        Bytes({0x00});
    EXPECT_EQ(ReadRootOf<TSerializeList>(sound)->Count(), 2);
}

TEST(SerializeUntrusted, AListThatContainsItselfIsAReadError) {
    QByteArray bytes =
        WithName(Bytes({0x02, 0x00, 0x06}), "TSerializeList") + Bytes({0x01, 0x02, 0x02, 0x02, 0x00, 0x00});
    TSerializeReader reader(bytes);
    EXPECT_THROW(reader.ReadRoot<TSerializeList>(), EReadError);
}

TEST(SerializeUntrusted, DeepNestingIsAReadErrorNotAStackOverflow) {
    // Lists inside lists, far deeper than any stream the writer produces.
    QByteArray bytes = WithName(Bytes({0x02, 0x00, 0x06}), "TSerializeList") + Bytes({0x01});
    for (int i = 0; i < 100000; ++i)
        bytes += Bytes({0x02, 0x01, 0x02, 0x00, 0x01});
    TSerializeReader reader(bytes);
    EXPECT_THROW(reader.ReadRoot<TSerializeList>(), EReadError);
}

TEST(SerializeUntrusted, WriterRefusesWhatTheReaderWouldRefuse) {
    auto outer = std::make_unique<TSerializeList>();
    TSerializeList* at = outer.get();
    for (int i = 0; i < kMaxStreamDepth + 5; ++i) {
        auto* inner = new TSerializeList;
        at->Add(inner);
        at = inner;
    }
    QByteArray bytes;
    TSerializeWriter writer(&bytes);
    EXPECT_THROW(writer.WriteObject(outer.get()), EWriteError);
}

// A net drawn the natural way (a clock line to every flip-flop) runs through any number of joints,
// each one nested in the stream inside the wire before it. Such a circuit saves, loads, saves again
// to the same bytes and still carries its level from end to end.
TEST(SerializeRoundTrip, ANetThroughTwentyThousandJointsSavesAndLoads) {
    TTestCircuit circuit;
    auto* supply = circuit.Add<TSupply>();
    auto* inverter = circuit.Add<TNotGate>(100, 0);
    TGraphicObject* previous = supply->Pin(0);
    for (int i = 0; i < 20000; ++i) {
        auto* joint = new TSolder;
        joint->Offset(static_cast<float>(i % 100), static_cast<float>(i / 100));
        circuit.Root->AddObject(joint);
        circuit.Wire(previous, joint);
        previous = joint;
    }
    circuit.Wire(previous, inverter->Pin(1));
    const QByteArray bytes = WriteCircuitBytes(circuit.Root, "clock line");
    TCircuit copy = ReadCircuitBytes(bytes);
    EXPECT_EQ(WriteCircuitBytes(copy.Root.get(), "clock line"), bytes);
    TTestCircuit loaded(copy.Root.get());
    loaded.Reset();
    loaded.Step();
    auto* inverterCopy = static_cast<TDevice*>(copy.Root->Devices->Child(0));
    EXPECT_EQ(inverterCopy->Pin(1)->Level, 1);
    EXPECT_EQ(inverterCopy->Pin(0)->Level, 0);
}
