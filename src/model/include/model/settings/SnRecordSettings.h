#pragma once
// The shared part of the settings classes whose table holds record objects: reading a
// record through the store and writing one back, and copying fields to and from a
// record's numbered properties.  Each settings class lists its fields once, as
//   template <class Self, class Fn> static void Fields(Self& s, Fn&& fn)
// calling fn(property, column, member) for every field, in the order of its table's
// columns, and uses ToRecord/FromRecord below.  The database schema is built from the
// same lists: the column's name, its type (from the member's type) and its default (the
// member's initial value).
#include "model/store/ISnCfg.h"
#include "model/store/QvcVariant.h"

#include <cstdint>
#include <functional>
#include <memory>

class CSnCfg;

class CSnRecordSettings {
public:
    using Getter = std::function<void(ISnCfg&, CQvcVariant&)>;
    using Putter = std::function<void(ISnCfg&, const CQvcVariant&)>;

    // Runs `get` in a connection; when it succeeds with a record of `kind`, hands it to
    // `apply`.  A value that is no such record is 25001.  On failure nothing is applied.
    static long Read(CSnCfg& store, const char* kind, const Getter& get,
                     const std::function<void(const CSnRecord&)>& apply);
    // Runs `put` with the record in a connection; "GlobalSettings" on success.
    static long Write(CSnCfg& store, const std::shared_ptr<CSnRecord>& record, const Putter& put);

    static void Put(CSnRecord& r, int property, const CQvcString& value) { r.SetText(property, value); }
    static void Put(CSnRecord& r, int property, std::int32_t value) { r.SetLong(property, value); }
    static void Put(CSnRecord& r, int property, bool value) { r.SetBool(property, value); }
    // Absent properties leave the field as it is.
    static void Take(const CSnRecord& r, int property, CQvcString& value) {
        if (r.Has(property))
            value = r.GetText(property);
    }
    static void Take(const CSnRecord& r, int property, std::int32_t& value) {
        if (r.Has(property))
            value = static_cast<std::int32_t>(r.GetLong(property));
    }
    static void Take(const CSnRecord& r, int property, bool& value) {
        if (r.Has(property))
            value = r.GetBool(property);
    }

    template <class Settings>
    static std::shared_ptr<CSnRecord> ToRecord(const Settings& s, const char* kind) {
        auto record = std::make_shared<CSnRecord>(kind);
        Settings::Fields(
            s, [&](int property, const char*, const auto& member) { Put(*record, property, member); });
        return record;
    }
    template <class Settings> static void FromRecord(Settings& s, const CSnRecord& record) {
        Settings::Fields(s, [&](int property, const char*, auto& member) { Take(record, property, member); });
    }
};

// A settings class kept as the one record of its table: it derives from this with its
// record kind and the component's getter and putter, and lists its fields in Fields().
// Read and Write return 0 or the component's code; a failed read keeps the values, and a
// successful write stamps "GlobalSettings".
template <class Derived, const char* const* Kind, void (ISnCfg::*Get)(CQvcVariant&),
          void (ISnCfg::*Put)(const CQvcVariant&)>
class CSnRowSettings {
public:
    long Read(CSnCfg& store) {
        return CSnRecordSettings::Read(
            store, *Kind, [](ISnCfg& c, CQvcVariant& v) { (c.*Get)(v); },
            [this](const CSnRecord& r) { FromRecord(r); });
    }
    long Write(CSnCfg& store) const {
        return CSnRecordSettings::Write(store, ToRecord(),
                                        [](ISnCfg& c, const CQvcVariant& v) { (c.*Put)(v); });
    }
    std::shared_ptr<CSnRecord> ToRecord() const {
        return CSnRecordSettings::ToRecord(static_cast<const Derived&>(*this), *Kind);
    }
    void FromRecord(const CSnRecord& record) {
        CSnRecordSettings::FromRecord(static_cast<Derived&>(*this), record);
    }
    bool operator==(const CSnRowSettings&) const = default;
};
