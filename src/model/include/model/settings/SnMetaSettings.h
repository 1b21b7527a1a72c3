#pragma once
// Meta settings (table MetaSettings, one record): the configuration version that Open
// compares with 730, the program that created the database, the access probe's time
// stamp and a free description.
#include "library/QvcString.h"
#include "model/store/SnRecordProperties.h"

#include <cstdint>
#include <memory>

class CSnCfg;
class CSnRecord;

class CSnMetaSettings {
public:
    CQvcString Version;
    CQvcString Creator;
    std::int32_t TimeStamp = 0; // seconds since 1970
    CQvcString Description;

    long Read(CSnCfg& store);
    // "GlobalSettings" is stamped when the write succeeds.
    long Write(CSnCfg& store) const;
    // The same without the stamp (the access probe's time stamp is no settings change).
    long WriteQuietly(CSnCfg& store) const;
    std::shared_ptr<CSnRecord> ToRecord() const;
    void FromRecord(const CSnRecord& record);

    template <class Self, class Fn> static void Fields(Self& s, Fn&& fn) {
        fn(snmeta::kVersion, "Version", s.Version);
        fn(snmeta::kCreator, "Creator", s.Creator);
        fn(snmeta::kTimeStamp, "TimeStamp", s.TimeStamp);
        fn(snmeta::kDescription, "Description", s.Description);
    }
};
