#pragma once

// The object stream: every persistent object is a TSerialize, written by TSerializeWriter as tagged
// primitives and object references, and rebuilt by TSerializeReader through the class registry.

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <cstdint>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <unordered_map>
#include <vector>

class QIODevice;
class TSerializeWriter;
class TSerializeReader;

// Any failure while reading a stream: a wrong tag, a truncated stream, an unknown class, a bad index, an
// object of the wrong class, an impossible value.
class EReadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The signature names another kind of file.
class EInvalidFileType : public EReadError {
public:
    EInvalidFileType() : EReadError("Invalid File Type") {}
};

// A file could not be opened at all.
class EFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Writing a stream failed (disk full, device closed) or the tree cannot be written.
class EWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Cheap run-time class tests. A class that declares TESSIVAR_KIND adds its bit in its constructor, so
// KindCast<T> is a mask test instead of a dynamic_cast. The drawing layer owns bits 0-8, the model
// 9-23, the devices 24-31.
#define TESSIVAR_KIND(Name, Bit)                                                                             \
    static constexpr uint32_t kKind = (Bit);                                                                 \
    using KindClass = Name

// Registered stream classes name themselves; the name is part of the file format.
#define TESSIVAR_CLASS(Name)                                                                                 \
    static constexpr char kClassName[] = #Name;                                                              \
    const char* ClassName() const override {                                                                 \
        return kClassName;                                                                                   \
    }

class TSerialize;

// Visits the non-owning references an object holds, so the reader can check and cut them.
class TReferenceVisitor {
public:
    virtual ~TReferenceVisitor() = default;
    template <class T> void operator()(T*& ref) {
        if (ref && Drop(ref))
            ref = nullptr;
    }

protected:
    virtual bool Drop(TSerialize* target) = 0;
};

class TSerialize {
public:
    TSerialize() = default;
    TSerialize(const TSerialize&) = delete;
    TSerialize& operator=(const TSerialize&) = delete;
    virtual ~TSerialize() = default;

    virtual const char* ClassName() const = 0;
    virtual void Write(TSerializeWriter& writer) = 0;
    virtual void Read(TSerializeReader& reader) = 0;

    // Classes holding references to other objects of a stream (not owned) report each of them here.
    virtual void VisitReferences(TReferenceVisitor&) {}
    // Called once the whole tree has been read; classes whose links must agree in both directions
    // cut one-sided links here and return how many they cut.
    virtual int LinksRead() { return 0; }

    uint32_t Kinds() const { return m_kinds; }

    bool Written = false;
    int32_t StreamIndex = 0;

protected:
    void AddKind(uint32_t bits) { m_kinds |= bits; }

private:
    uint32_t m_kinds = 0;
};

template <class T>
concept HasOwnKind = requires {
    typename T::KindClass;
    requires std::is_same_v<typename T::KindClass, T>;
};

template <class T> T* KindCast(TSerialize* object) {
    if constexpr (std::is_same_v<T, TSerialize>) {
        return object;
    } else if constexpr (HasOwnKind<T>) {
        return (object && (object->Kinds() & T::kKind)) ? static_cast<T*>(object) : nullptr;
    } else {
        return dynamic_cast<T*>(object);
    }
}

template <class T> const T* KindCast(const TSerialize* object) {
    return KindCast<T>(const_cast<TSerialize*>(object));
}

template <class T> bool IsA(const TSerialize* object) {
    return KindCast<T>(object) != nullptr;
}

// Marks a list that holds references only and never destroys its items.
struct TReferencesOnly {};
constexpr TReferencesOnly kReferencesOnly{};

// An ordered list of owned objects (nil entries allowed). Remove and Clear never destroy.
class TSerializeList : public TSerialize {
public:
    TESSIVAR_CLASS(TSerializeList)
    TESSIVAR_KIND(TSerializeList, 1u << 8);
    TSerializeList() { AddKind(kKind); }
    explicit TSerializeList(TReferencesOnly) : m_owning(false) { AddKind(kKind); }
    ~TSerializeList() override;

    void Write(TSerializeWriter& writer) override;
    // Appends whatever the stream holds to the items already present. Items may be of any class.
    void Read(TSerializeReader& reader) override;

    int Count() const { return static_cast<int>(m_items.size()); }
    TSerialize* Items(int index) const { return m_items[static_cast<size_t>(index)]; }
    // For lists known to hold T items (or nil); checked in debug builds.
    template <class T> T* ItemAs(int index) const {
        TSerialize* item = Items(index);
        Q_ASSERT_X(!item || KindCast<T>(item), "TSerializeList::ItemAs", "an item of another class");
        return static_cast<T*>(item);
    }
    int IndexOf(const TSerialize* object) const;
    int Add(TSerialize* object);
    void Insert(int index, TSerialize* object);
    void Remove(TSerialize* object);
    void Delete(int index);
    void Pack();
    void Clear() { m_items.clear(); }
    void FreeAll();
    void Reserve(int count) { m_items.reserve(static_cast<size_t>(count)); }

    const std::vector<TSerialize*>& Vector() const { return m_items; }
    std::vector<TSerialize*>::const_iterator begin() const { return m_items.begin(); }
    std::vector<TSerialize*>::const_iterator end() const { return m_items.end(); }

private:
    std::vector<TSerialize*> m_items;
    bool m_owning = true;
};

// The items of a list whose every item is a T (and never nil), as T pointers. The class is
// checked as each item is visited in debug builds only, so the view costs nothing in a release.
template <class T> class TListView {
public:
    class Iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = T*;
        using difference_type = std::ptrdiff_t;

        Iterator() = default;
        explicit Iterator(std::vector<TSerialize*>::const_iterator it) : m_it(it) {}
        T* operator*() const {
            Q_ASSERT_X(KindCast<T>(*m_it), "TListView", "an item of another class, or nil");
            return static_cast<T*>(*m_it);
        }
        Iterator& operator++() {
            ++m_it;
            return *this;
        }
        Iterator operator++(int) {
            Iterator old = *this;
            ++m_it;
            return old;
        }
        bool operator==(const Iterator&) const = default;

    private:
        std::vector<TSerialize*>::const_iterator m_it;
    };

    explicit TListView(const TSerializeList& list) : m_list(&list) {}
    Iterator begin() const { return Iterator(m_list->begin()); }
    Iterator end() const { return Iterator(m_list->end()); }
    int size() const { return m_list->Count(); }

private:
    const TSerializeList* m_list;
};

// A keyed value of the descriptor list that follows some signatures.
struct TDescriptor {
    enum Kinds : int32_t { kString = 1, kInteger = 2, kBoolean = 3 };
    int32_t Id = 0;
    int32_t Kind = 0;
    QString Text;
    int32_t Value = 0;
    bool Flag = false;
};

// Selects the constructor a class may offer for the stream reader: one that skips building what
// Read replaces anyway. The object it makes is complete only once Read has run.
struct TForReading {};
constexpr TForReading kForReading{};

// Deepest nesting of owned objects a stream may have: the tree read is walked recursively, so a
// reader refuses deeper ones and the writer refuses what the reader would refuse. References (a wire
// to its joints, a joint to its wires) nest objects in the stream as well, without limit: the
// reader and the writer follow them on a stack of their own, so a net may run through any number
// of joints.
constexpr int kMaxStreamDepth = 3000;

// The name-to-constructor table of the stream classes. Filled once at start-up by
// RegisterStreamClasses (devices/StreamClasses.h); names compare without regard to letter case.
class TClassRegistry {
public:
    using Factory = TSerialize* (*)();
    static TClassRegistry& Instance();

    void Add(const char* name, Factory factory);
    template <class T> void Add() {
        if constexpr (std::is_constructible_v<T, TForReading>)
            Add(T::kClassName, []() -> TSerialize* { return new T(kForReading); });
        else
            Add(T::kClassName, []() -> TSerialize* { return new T(); });
    }
    Factory Find(const QByteArray& name) const;
    std::vector<std::string> Names() const;

private:
    std::unordered_map<std::string, Factory> m_factories; // keyed by lower-case name
    std::vector<std::string> m_names;                     // as registered, in order
};

class TSerializeWriter {
public:
    // Writes to an open device. Bytes are buffered; Finish flushes and reports failures.
    explicit TSerializeWriter(QIODevice* device);
    // Writes into a byte array kept by the caller.
    explicit TSerializeWriter(QByteArray* target);
    ~TSerializeWriter();
    TSerializeWriter(const TSerializeWriter&) = delete;
    TSerializeWriter& operator=(const TSerializeWriter&) = delete;

    int32_t FileType = 0;
    uint8_t Version = 0;

    void WriteSignature();
    void AddStringDescriptor(int32_t id, const QString& text);
    void AddIntegerDescriptor(int32_t id, int32_t value);
    void WriteDescriptors();
    void ClearDescriptors() { m_descriptors.clear(); }
    // An object the writing object owns (written in full where it is first met), or any object at
    // the top of the stream.
    void WriteObject(TSerialize* object);
    // For Write overrides: a reference to an object owned elsewhere, or nil. References come last:
    // nothing may be written after them. They are written once the object's Write has returned,
    // exactly as WriteObject would have written them there.
    void WriteReference(TSerialize* object);

    void WriteInteger(int32_t value);
    void WriteBoolean(bool value);
    void WriteString(const QString& text);
    void WriteFloat(float value);
    void WriteListBegin() { Put(1); }
    void WriteListEnd() { Put(0); }

    // Flushes everything written so far; throws EWriteError when the device refuses bytes.
    void Finish();

    const std::vector<TSerialize*>& Objects() const { return m_objects; }
    int32_t NextIndex() const { return m_nextIndex; }

private:
    void Put(uint8_t byte) {
        Q_ASSERT(!m_referencesWritten);
        m_buffer.push_back(static_cast<char>(byte));
    }
    void PutBytes(const char* data, size_t size) {
        Q_ASSERT(!m_referencesWritten);
        m_buffer.append(data, size);
    }
    void FlushBuffer();
    // Writes the marker of an object; true when its fields must follow.
    bool WriteMarker(TSerialize* object);
    // Writes the object's fields, then the references it left, and theirs, in stream order.
    void WriteBody(TSerialize* object);
    void RunWrite(TSerialize* object);

    QIODevice* m_device = nullptr;
    QByteArray* m_target = nullptr;
    std::string m_buffer;
    std::vector<TSerialize*> m_objects; // references only
    std::vector<std::string> m_classNames;
    std::unordered_map<const char*, int> m_classIndexByName;
    std::vector<TDescriptor> m_descriptors;
    int32_t m_nextIndex = 0;
    int m_depth = 0; // objects whose Write is running
    bool m_failed = false;
    // References left by the objects written, one frame per object (begin in m_references, next to
    // write), innermost last.
    struct TReferenceFrame {
        size_t Begin;
        size_t Next;
    };
    std::vector<TSerialize*> m_references;
    std::vector<TReferenceFrame> m_referenceFrames;
    bool m_referencesWritten = false; // the running Write has left a reference
};

class TSerializeReader {
public:
    // Reads what remains of an open device; on destruction the device is left just after the
    // last byte consumed.
    explicit TSerializeReader(QIODevice* device);
    explicit TSerializeReader(QByteArray bytes);
    // Frees every object read unless Commit was called.
    ~TSerializeReader();
    TSerializeReader(const TSerializeReader&) = delete;
    TSerializeReader& operator=(const TSerializeReader&) = delete;

    int32_t FileType = 0;
    uint8_t Version = 0;
    int32_t StreamSize = 0;
    std::function<void(int32_t)> OnProgress;

    void ReadSignature();
    void ReadDescriptors();
    bool FindStringDescriptor(int32_t id, QString& text) const;
    void ClearDescriptors() { m_descriptors.clear(); }
    const std::vector<TDescriptor>& Descriptors() const { return m_descriptors; }

    // What Commit mended in a damaged stream: objects that only references reached (no owner held
    // them) were dropped, with every reference to them; links recorded on one side only were cut.
    struct TRepairs {
        std::map<std::string, int> Dropped; // by class name
        int LinksCut = 0;
        bool Any() const { return !Dropped.empty() || LinksCut > 0; }
    };
    const TRepairs& Repairs() const { return m_repairs; }

    // A top-level object of the stream, handed to the caller by Commit. Nil is a read error.
    template <class T> T* ReadRoot() { return Typed<T>(ReadEntry(), false, kOwnerCaller); }
    // Resolves the links of everything read, drops objects nobody owns and gives the roots to the
    // callers. Until then a failure frees everything read.
    void Commit();

    // For Read overrides: an object the reading object will own (a new object or a back-reference
    // to one nobody owns yet). Every object of a stream has at most one owner, and an owner never
    // contains itself.
    template <class T> T* ReadOwned(bool allowNil = false) {
        return Typed<T>(ReadEntry(), allowNil, CurrentOwner());
    }
    // For Read overrides: an owned list whose items must all be objects of class T (no nil items).
    template <class T> TSerializeList* ReadOwnedListOf() {
        const int index = ReadEntry();
        TSerializeList* list = Typed<TSerializeList>(index, false, kOwnerNone);
        for (TSerialize* item : *list)
            if (!KindCast<T>(item))
                Fail("a list holds an object of the wrong class");
        Adopt(index, CurrentOwner());
        return list;
    }
    // For Read overrides: a reference to an object owned elsewhere in the stream, or nil, of one of
    // the given kinds. References come last, as the writer puts them: nothing may be read after
    // them, and the slot is filled only once the Read override has returned.
    template <class T> void ReadReference(T*& slot, uint32_t kinds = T::kKind) {
        Q_ASSERT(!m_referenceFrames.empty());
        slot = nullptr;
        m_references.push_back({&slot, kinds, [](void* at, TSerialize* object) {
                                    *static_cast<T**>(at) = static_cast<T*>(object);
                                }});
        m_referencesRead = true;
    }
    // Any object or nil, read where it stands and owned by nobody yet.
    TSerialize* ReadObject() { return Typed<TSerialize>(ReadEntry(), true, kOwnerNone); }

    int32_t ReadInteger();
    bool ReadBoolean();
    QString ReadString();
    float ReadFloat();
    void ReadListBegin();
    void ReadListEnd();
    bool EndOfList();

    // Bytes consumed so far.
    int64_t Position() const { return m_pos; }
    int64_t Remaining() const { return static_cast<int64_t>(m_bytes.size()) - m_pos; }
    // Objects created so far, in order of first occurrence (references only).
    const std::vector<TSerialize*>& Objects() const { return m_objects; }

    // A read error carrying the position, for class Read overrides.
    [[noreturn]] void Fail(const char* what) const;

private:
    static constexpr int kOwnerNone = -1;
    static constexpr int kOwnerCaller = -2;

    uint8_t TakeByte() {
        Q_ASSERT(!m_referencesRead);
        if (m_pos >= static_cast<int64_t>(m_bytes.size()))
            Fail("unexpected end of stream");
        return static_cast<uint8_t>(m_bytes.constData()[m_pos++]);
    }
    const char* Take(int64_t count);
    int ReadEntry();
    // Reads a marker; a new object is created (its fields not read yet) and isNew set.
    int ReadMarker(bool& isNew);
    // Reads the object's fields, then the references it left, and theirs, in stream order.
    void ReadBody(int index);
    void RunRead(int index);
    void Finished(int index);
    int CurrentOwner() const;
    void Adopt(int index, int owner);
    void Progress();
    void FreeAll();
    template <class T> T* Typed(int index, bool allowNil, int owner) {
        if (index < 0) {
            if (!allowNil)
                Fail("a required object is missing");
            return nullptr;
        }
        T* object = KindCast<T>(m_objects[static_cast<size_t>(index)]);
        if (!object)
            Fail("an object of the wrong class");
        if (owner != kOwnerNone)
            Adopt(index, owner);
        return object;
    }

    QIODevice* m_device = nullptr;
    int64_t m_deviceStart = 0;
    QByteArray m_bytes;
    int64_t m_pos = 0;
    std::vector<TSerialize*> m_objects;
    std::vector<int> m_owner;      // per object: owning object's index, kOwnerNone or kOwnerCaller
    std::vector<uint8_t> m_active; // per object: its Read is running
    std::vector<int> m_readStack;  // objects whose Read is running, innermost last
    // References left by the objects read, one frame per object (begin in m_references, next to
    // read, the object), innermost last.
    struct TPendingReference {
        void* Slot;
        uint32_t Kinds;
        void (*Store)(void* slot, TSerialize* object);
    };
    struct TReferenceFrame {
        size_t Begin;
        size_t Next;
        int Object;
    };
    std::vector<TPendingReference> m_references;
    std::vector<TReferenceFrame> m_referenceFrames;
    bool m_referencesRead = false; // the running Read has left a reference
    struct ClassEntry {
        QByteArray Name;
        TClassRegistry::Factory Factory;
    };
    std::vector<ClassEntry> m_classes;
    std::vector<TDescriptor> m_descriptors;
    bool m_committed = false;
    TRepairs m_repairs;
};
