#include "drawing/Serialize.h"

#include "drawing/Codepage.h"

#include <QIODevice>

#include <algorithm>
#include <cstring>
#include <unordered_set>

namespace {

enum Tag : uint8_t {
    kTagEndOfList = 0,
    kTagList = 1,
    kTagInt8 = 2,
    kTagInt16 = 3,
    kTagInt32 = 4,
    kTagShortString = 6,
    kTagFalse = 8,
    kTagTrue = 9,
    kTagLongString = 12,
};

enum Marker : int32_t {
    kMarkerNewClass = 0,
    kMarkerKnownClass = 1,
    kMarkerBackReference = 2,
    kMarkerNil = 15,
};

// A file larger than this is refused before anything is allocated for it.
constexpr int64_t kMaxStreamBytes = int64_t(1) << 30;

std::string LowerAscii(const char* data, size_t size) {
    std::string lower(data, size);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

} // namespace

// ---------------------------------------------------------------------------------------------------

TSerializeList::~TSerializeList() {
    if (m_owning)
        FreeAll();
}

void TSerializeList::Write(TSerializeWriter& writer) {
    writer.WriteListBegin();
    for (TSerialize* item : m_items)
        writer.WriteObject(item);
    writer.WriteListEnd();
}

void TSerializeList::Read(TSerializeReader& reader) {
    reader.ReadListBegin();
    while (!reader.EndOfList())
        m_items.push_back(reader.ReadOwned<TSerialize>(true));
    reader.ReadListEnd();
}

int TSerializeList::IndexOf(const TSerialize* object) const {
    const auto it = std::find(m_items.begin(), m_items.end(), object);
    return it == m_items.end() ? -1 : static_cast<int>(it - m_items.begin());
}

int TSerializeList::Add(TSerialize* object) {
    m_items.push_back(object);
    return Count() - 1;
}

void TSerializeList::Insert(int index, TSerialize* object) {
    index = std::clamp(index, 0, Count());
    m_items.insert(m_items.begin() + index, object);
}

void TSerializeList::Remove(TSerialize* object) {
    const int index = IndexOf(object);
    if (index >= 0)
        m_items.erase(m_items.begin() + index);
}

void TSerializeList::Delete(int index) {
    if (index >= 0 && index < Count())
        m_items.erase(m_items.begin() + index);
}

void TSerializeList::Pack() {
    std::erase(m_items, nullptr);
}

void TSerializeList::FreeAll() {
    // Take the items out first: a destructor may look at the list it is leaving.
    std::vector<TSerialize*> items;
    items.swap(m_items);
    for (TSerialize* item : items)
        delete item;
}

// ---------------------------------------------------------------------------------------------------

TClassRegistry& TClassRegistry::Instance() {
    static TClassRegistry registry;
    return registry;
}

void TClassRegistry::Add(const char* name, Factory factory) {
    const std::string key = LowerAscii(name, std::strlen(name));
    if (m_factories.emplace(key, factory).second)
        m_names.emplace_back(name);
}

TClassRegistry::Factory TClassRegistry::Find(const QByteArray& name) const {
    const auto it = m_factories.find(LowerAscii(name.constData(), static_cast<size_t>(name.size())));
    return it == m_factories.end() ? nullptr : it->second;
}

std::vector<std::string> TClassRegistry::Names() const {
    return m_names;
}

// ---------------------------------------------------------------------------------------------------

TSerializeWriter::TSerializeWriter(QIODevice* device) : m_device(device) {
    m_buffer.reserve(64 * 1024);
    m_objects.reserve(1024);
}

TSerializeWriter::TSerializeWriter(QByteArray* target) : m_target(target) {
    m_buffer.reserve(64 * 1024);
    m_objects.reserve(1024);
}

TSerializeWriter::~TSerializeWriter() {
    for (TSerialize* object : m_objects)
        object->Written = false;
    if (!m_failed)
        FlushBuffer();
}

void TSerializeWriter::FlushBuffer() {
    if (m_buffer.empty())
        return;
    if (m_target) {
        m_target->append(m_buffer.data(), static_cast<qsizetype>(m_buffer.size()));
    } else if (m_device) {
        const auto size = static_cast<qint64>(m_buffer.size());
        if (m_device->write(m_buffer.data(), size) != size)
            m_failed = true;
    }
    m_buffer.clear();
}

void TSerializeWriter::Finish() {
    FlushBuffer();
    if (m_failed)
        throw EWriteError(m_device ? m_device->errorString().toStdString() : "write failed");
}

void TSerializeWriter::WriteSignature() {
    WriteInteger((static_cast<int32_t>(Version) << 16) | FileType);
}

void TSerializeWriter::AddStringDescriptor(int32_t id, const QString& text) {
    TDescriptor descriptor;
    descriptor.Id = id;
    descriptor.Kind = TDescriptor::kString;
    descriptor.Text = text;
    m_descriptors.push_back(descriptor);
}

void TSerializeWriter::AddIntegerDescriptor(int32_t id, int32_t value) {
    TDescriptor descriptor;
    descriptor.Id = id;
    descriptor.Kind = TDescriptor::kInteger;
    descriptor.Value = value;
    m_descriptors.push_back(descriptor);
}

void TSerializeWriter::WriteDescriptors() {
    WriteListBegin();
    for (const TDescriptor& descriptor : m_descriptors) {
        WriteInteger(descriptor.Kind);
        WriteInteger(descriptor.Id);
        switch (descriptor.Kind) {
        case TDescriptor::kString:
            WriteString(descriptor.Text);
            break;
        case TDescriptor::kInteger:
            WriteInteger(descriptor.Value);
            break;
        case TDescriptor::kBoolean:
            WriteBoolean(descriptor.Flag);
            break;
        default:
            break;
        }
    }
    WriteListEnd();
}

void TSerializeWriter::WriteObject(TSerialize* object) {
    if (WriteMarker(object))
        WriteBody(object);
}

void TSerializeWriter::WriteReference(TSerialize* object) {
    Q_ASSERT(!m_referenceFrames.empty());
    m_references.push_back(object);
    m_referencesWritten = true;
}

bool TSerializeWriter::WriteMarker(TSerialize* object) {
    if (!object) {
        WriteInteger(kMarkerNil);
        return false;
    }
    if (object->Written) {
        WriteInteger(kMarkerBackReference);
        WriteInteger(object->StreamIndex);
        return false;
    }
    if (m_depth >= kMaxStreamDepth)
        throw EWriteError("The circuit is nested too deeply to be written.");

    const char* name = object->ClassName();
    auto found = m_classIndexByName.find(name);
    if (found == m_classIndexByName.end()) {
        // The same class may answer with another pointer to an equal name; compare the letters.
        const std::string lower = LowerAscii(name, std::strlen(name));
        int index = -1;
        for (size_t i = 0; i < m_classNames.size(); ++i)
            if (m_classNames[i] == lower)
                index = static_cast<int>(i);
        if (index < 0) {
            WriteInteger(kMarkerNewClass);
            WriteString(QString::fromLatin1(name));
            m_classNames.push_back(lower);
            index = static_cast<int>(m_classNames.size()) - 1;
            m_classIndexByName.emplace(name, index);
        } else {
            m_classIndexByName.emplace(name, index);
            WriteInteger(kMarkerKnownClass);
            WriteInteger(index);
        }
    } else {
        WriteInteger(kMarkerKnownClass);
        WriteInteger(found->second);
    }

    object->StreamIndex = m_nextIndex++;
    object->Written = true;
    m_objects.push_back(object);
    return true;
}

void TSerializeWriter::RunWrite(TSerialize* object) {
    const bool outer = m_referencesWritten;
    m_referencesWritten = false;
    ++m_depth;
    object->Write(*this);
    --m_depth;
    m_referencesWritten = outer;
    if (m_buffer.size() >= 60 * 1024)
        FlushBuffer();
}

void TSerializeWriter::WriteBody(TSerialize* object) {
    // References are where nets nest deeply (a joint's wire, that wire's next joint...), so they are
    // written from this loop rather than by recursion. An object's references follow all its
    // fields, so writing them after its Write returned puts the same bytes in the same place.
    const size_t base = m_referenceFrames.size();
    const int depth = m_depth;
    const bool written = m_referencesWritten;
    try {
        m_referenceFrames.push_back({m_references.size(), m_references.size()});
        RunWrite(object);
        while (m_referenceFrames.size() > base) {
            TReferenceFrame& frame = m_referenceFrames.back();
            if (frame.Next == m_references.size()) {
                m_references.resize(frame.Begin);
                m_referenceFrames.pop_back();
                continue;
            }
            TSerialize* reference = m_references[frame.Next++];
            if (WriteMarker(reference)) {
                m_referenceFrames.push_back({m_references.size(), m_references.size()});
                RunWrite(reference);
            }
        }
    } catch (...) {
        if (m_referenceFrames.size() > base) {
            m_references.resize(m_referenceFrames[base].Begin);
            m_referenceFrames.resize(base);
        }
        m_depth = depth;
        m_referencesWritten = written;
        throw;
    }
}

void TSerializeWriter::WriteInteger(int32_t value) {
    if (value >= -128 && value <= 127) {
        Put(kTagInt8);
        Put(static_cast<uint8_t>(value));
    } else if (value >= -32768 && value <= 32767) {
        Put(kTagInt16);
        const auto v = static_cast<uint16_t>(value);
        Put(static_cast<uint8_t>(v));
        Put(static_cast<uint8_t>(v >> 8));
    } else {
        Put(kTagInt32);
        const auto v = static_cast<uint32_t>(value);
        Put(static_cast<uint8_t>(v));
        Put(static_cast<uint8_t>(v >> 8));
        Put(static_cast<uint8_t>(v >> 16));
        Put(static_cast<uint8_t>(v >> 24));
    }
}

void TSerializeWriter::WriteBoolean(bool value) {
    Put(value ? kTagTrue : kTagFalse);
}

void TSerializeWriter::WriteString(const QString& text) {
    const QByteArray bytes = ToCodepage(text);
    const auto size = static_cast<uint32_t>(bytes.size());
    if (size < 256) {
        Put(kTagShortString);
        Put(static_cast<uint8_t>(size));
    } else {
        Put(kTagLongString);
        Put(static_cast<uint8_t>(size));
        Put(static_cast<uint8_t>(size >> 8));
        Put(static_cast<uint8_t>(size >> 16));
        Put(static_cast<uint8_t>(size >> 24));
    }
    PutBytes(bytes.constData(), size);
}

void TSerializeWriter::WriteFloat(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    Put(static_cast<uint8_t>(bits));
    Put(static_cast<uint8_t>(bits >> 8));
    Put(static_cast<uint8_t>(bits >> 16));
    Put(static_cast<uint8_t>(bits >> 24));
}

// ---------------------------------------------------------------------------------------------------

TSerializeReader::TSerializeReader(QIODevice* device) : m_device(device) {
    m_deviceStart = device->pos();
    const qint64 available =
        device->isSequential() ? device->bytesAvailable() : device->size() - m_deviceStart;
    if (available > kMaxStreamBytes)
        throw EReadError("The file is too large.");
    // A pipe or a device may never end, so the size is checked while reading.
    constexpr qint64 kChunk = 1 << 20;
    m_bytes.reserve(static_cast<qsizetype>(std::clamp<qint64>(available, 0, kMaxStreamBytes)));
    for (;;) {
        const auto size = static_cast<qint64>(m_bytes.size());
        m_bytes.resize(static_cast<qsizetype>(size + kChunk));
        const qint64 read = device->read(m_bytes.data() + size, kChunk);
        m_bytes.resize(static_cast<qsizetype>(size + std::max<qint64>(read, 0)));
        if (read < 0)
            throw EReadError("The file cannot be read.");
        if (read == 0)
            break;
        if (m_bytes.size() > kMaxStreamBytes)
            throw EReadError("The file is too large.");
    }
    StreamSize = static_cast<int32_t>(m_bytes.size());
}

TSerializeReader::TSerializeReader(QByteArray bytes) : m_bytes(std::move(bytes)) {
    if (m_bytes.size() > kMaxStreamBytes)
        throw EReadError("The stream is too large.");
    StreamSize = static_cast<int32_t>(m_bytes.size());
}

TSerializeReader::~TSerializeReader() {
    if (!m_committed)
        FreeAll();
    if (m_device && !m_device->isSequential())
        m_device->seek(m_deviceStart + m_pos);
}

void TSerializeReader::Fail(const char* what) const {
    throw EReadError(std::string(what) + " at byte " + std::to_string(m_pos));
}

const char* TSerializeReader::Take(int64_t count) {
    if (count < 0 || count > Remaining())
        Fail("unexpected end of stream");
    const char* data = m_bytes.constData() + m_pos;
    m_pos += count;
    return data;
}

void TSerializeReader::ReadSignature() {
    const int32_t signature = ReadInteger();
    if ((signature & 0xFFFF) != (FileType & 0xFFFF))
        throw EInvalidFileType();
    Version = static_cast<uint8_t>((signature >> 16) & 0xFF);
}

void TSerializeReader::ReadDescriptors() {
    m_descriptors.clear();
    ReadListBegin();
    while (!EndOfList()) {
        TDescriptor descriptor;
        descriptor.Kind = ReadInteger();
        descriptor.Id = ReadInteger();
        switch (descriptor.Kind) {
        case TDescriptor::kString:
            descriptor.Text = ReadString();
            break;
        case TDescriptor::kInteger:
            descriptor.Value = ReadInteger();
            break;
        case TDescriptor::kBoolean:
            descriptor.Flag = ReadBoolean();
            break;
        default:
            break;
        }
        m_descriptors.push_back(std::move(descriptor));
    }
    ReadListEnd();
}

bool TSerializeReader::FindStringDescriptor(int32_t id, QString& text) const {
    for (const TDescriptor& descriptor : m_descriptors)
        if (descriptor.Id == id && descriptor.Kind == TDescriptor::kString) {
            text = descriptor.Text;
            return true;
        }
    return false;
}

int32_t TSerializeReader::ReadInteger() {
    switch (TakeByte()) {
    case kTagInt8:
        return static_cast<int8_t>(TakeByte());
    case kTagInt16: {
        const auto* p = reinterpret_cast<const uint8_t*>(Take(2));
        return static_cast<int16_t>(static_cast<uint16_t>(p[0] | (p[1] << 8)));
    }
    case kTagInt32: {
        const auto* p = reinterpret_cast<const uint8_t*>(Take(4));
        return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                                    (static_cast<uint32_t>(p[2]) << 16) |
                                    (static_cast<uint32_t>(p[3]) << 24));
    }
    default:
        --m_pos;
        Fail("an integer was expected");
    }
}

bool TSerializeReader::ReadBoolean() {
    return TakeByte() == kTagTrue;
}

QString TSerializeReader::ReadString() {
    int64_t size = 0;
    switch (TakeByte()) {
    case kTagShortString:
        size = TakeByte();
        break;
    case kTagLongString: {
        const auto* p = reinterpret_cast<const uint8_t*>(Take(4));
        size =
            static_cast<int64_t>(static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                                 (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24));
        break;
    }
    default:
        --m_pos;
        Fail("a string was expected");
    }
    const char* data = Take(size);
    return FromCodepage(data, static_cast<int>(size));
}

float TSerializeReader::ReadFloat() {
    const char* data = Take(4);
    uint32_t bits = 0;
    for (int i = 3; i >= 0; --i)
        bits = (bits << 8) | static_cast<uint8_t>(data[i]);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

void TSerializeReader::ReadListBegin() {
    if (TakeByte() != kTagList) {
        --m_pos;
        Fail("a list was expected");
    }
}

void TSerializeReader::ReadListEnd() {
    if (TakeByte() != kTagEndOfList) {
        --m_pos;
        Fail("the end of a list was expected");
    }
}

bool TSerializeReader::EndOfList() {
    if (Remaining() <= 0)
        Fail("unexpected end of stream");
    return m_bytes.constData()[m_pos] == kTagEndOfList;
}

void TSerializeReader::Progress() {
    if (OnProgress && StreamSize > 0)
        OnProgress(static_cast<int32_t>(m_pos * 100 / StreamSize));
}

int TSerializeReader::ReadEntry() {
    bool isNew = false;
    const int index = ReadMarker(isNew);
    if (isNew)
        ReadBody(index);
    else
        Progress();
    return index;
}

int TSerializeReader::ReadMarker(bool& isNew) {
    isNew = false;
    const int32_t marker = ReadInteger() & 0xFF;
    if (marker == kMarkerNil)
        return -1;
    if (marker == kMarkerBackReference) {
        const int32_t index = ReadInteger();
        if (index < 0 || index >= static_cast<int32_t>(m_objects.size()))
            Fail("a back-reference past the objects read");
        if (!m_objects[static_cast<size_t>(index)])
            Fail("a back-reference to a discarded object");
        return index;
    }

    TClassRegistry::Factory factory = nullptr;
    if (marker == kMarkerKnownClass) {
        const int32_t classIndex = ReadInteger();
        if (classIndex < 0 || classIndex >= static_cast<int32_t>(m_classes.size()))
            Fail("a class index past the classes read");
        factory = m_classes[static_cast<size_t>(classIndex)].Factory;
    } else {
        const QString name = ReadString();
        const QByteArray latin = name.toLatin1();
        factory = TClassRegistry::Instance().Find(latin);
        m_classes.push_back({latin, factory});
    }
    if (!factory)
        Fail("an unknown class");
    if (m_readStack.size() >= static_cast<size_t>(kMaxStreamDepth))
        Fail("objects nested too deeply");

    const int index = static_cast<int>(m_objects.size());
    m_objects.push_back(factory());
    m_owner.push_back(kOwnerNone);
    m_active.push_back(1);
    isNew = true;
    return index;
}

void TSerializeReader::RunRead(int index) {
    const bool outer = m_referencesRead;
    m_referencesRead = false;
    m_readStack.push_back(index);
    m_objects[static_cast<size_t>(index)]->Read(*this);
    m_readStack.pop_back();
    m_referencesRead = outer;
}

void TSerializeReader::Finished(int index) {
    m_active[static_cast<size_t>(index)] = 0;
    Progress();
}

void TSerializeReader::ReadBody(int index) {
    // The counterpart of the writer's loop: references are read here, not by recursion, so the
    // depth of a net costs no stack. An object stays active (it cannot be owned by what it refers
    // to) until its references are read.
    const size_t base = m_referenceFrames.size();
    m_referenceFrames.push_back({m_references.size(), m_references.size(), index});
    RunRead(index);
    while (m_referenceFrames.size() > base) {
        TReferenceFrame& frame = m_referenceFrames.back();
        if (frame.Next == m_references.size()) {
            m_references.resize(frame.Begin);
            const int finished = frame.Object;
            m_referenceFrames.pop_back();
            Finished(finished);
            continue;
        }
        const TPendingReference pending = m_references[frame.Next++];
        bool isNew = false;
        const int target = ReadMarker(isNew);
        if (target >= 0) {
            TSerialize* object = m_objects[static_cast<size_t>(target)];
            if ((object->Kinds() & pending.Kinds) == 0)
                Fail("an object of the wrong class");
            pending.Store(pending.Slot, object);
        }
        if (isNew) {
            m_referenceFrames.push_back({m_references.size(), m_references.size(), target});
            RunRead(target);
        } else {
            Progress();
        }
    }
}

int TSerializeReader::CurrentOwner() const {
    return m_readStack.empty() ? kOwnerCaller : m_readStack.back();
}

void TSerializeReader::Adopt(int index, int owner) {
    const auto i = static_cast<size_t>(index);
    if (m_owner[i] != kOwnerNone)
        Fail("an object with two owners");
    if (m_active[i])
        Fail("an object that contains itself");
    m_owner[i] = owner;
}

namespace {

class TDropAll : public TReferenceVisitor {
protected:
    bool Drop(TSerialize*) override { return true; }
};

class TDropListed : public TReferenceVisitor {
public:
    explicit TDropListed(const std::unordered_set<TSerialize*>& gone) : m_gone(gone) {}

protected:
    bool Drop(TSerialize* target) override { return m_gone.count(target) != 0; }

private:
    const std::unordered_set<TSerialize*>& m_gone;
};

} // namespace

void TSerializeReader::Commit() {
    // An object is kept when its chain of owners ends at a caller; the rest were reached only through
    // references and are dropped, together with every reference to them.
    const size_t count = m_objects.size();
    std::vector<int8_t> kept(count, -1);
    std::vector<size_t> path;
    for (size_t i = 0; i < count; ++i) {
        size_t at = i;
        int8_t verdict = -1;
        path.clear();
        while (kept[at] < 0) {
            path.push_back(at);
            const int owner = m_owner[at];
            if (owner == kOwnerCaller) {
                verdict = 1;
                break;
            }
            if (owner == kOwnerNone) {
                verdict = 0;
                break;
            }
            at = static_cast<size_t>(owner);
        }
        if (verdict < 0)
            verdict = kept[at];
        for (size_t p : path)
            kept[p] = verdict;
    }

    std::unordered_set<TSerialize*> gone;
    for (size_t i = 0; i < count; ++i)
        if (!kept[i]) {
            gone.insert(m_objects[i]);
            // What such an object owned goes with it and is not counted.
            if (m_owner[i] == kOwnerNone)
                ++m_repairs.Dropped[m_objects[i]->ClassName()];
        }
    if (!gone.empty()) {
        TDropListed dropGone(gone);
        TDropAll dropAll;
        for (size_t i = 0; i < count; ++i)
            m_objects[i]->VisitReferences(kept[i] ? static_cast<TReferenceVisitor&>(dropGone) : dropAll);
        for (size_t i = 0; i < count; ++i)
            if (!kept[i] && m_owner[i] == kOwnerNone)
                delete m_objects[i];
        for (size_t i = 0; i < count; ++i)
            if (!kept[i])
                m_objects[i] = nullptr;
    }
    for (TSerialize* object : m_objects)
        if (object)
            m_repairs.LinksCut += object->LinksRead();
    m_committed = true;
}

void TSerializeReader::FreeAll() {
    TDropAll dropAll;
    for (TSerialize* object : m_objects)
        if (object)
            object->VisitReferences(dropAll);
    for (size_t i = 0; i < m_objects.size(); ++i)
        if (m_objects[i] && (m_owner[i] == kOwnerNone || m_owner[i] == kOwnerCaller))
            delete m_objects[i];
    m_objects.clear();
}
