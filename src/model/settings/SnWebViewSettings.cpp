#include "model/settings/SnWebViewSettings.h"

#include "model/store/SnCfg.h"
#include "model/settings/SnRecordSettings.h"

long CSnWebViewSettings::Read(CSnCfg& store) {
    // Missing views are no failure: only the connection and the header decide the outcome.
    bool ran = false;
    long header = 0;
    long code = store.Run([&](ISnCfg& c) {
        ran = true;
        CQvcString row;
        c.get_AdvancedSettings(5, row);
        c.GetLastError(header);
        if (header)
            return;
        row.Trim();
        Header.Parse(row);
        for (int k = 0; k < kViews; ++k) {
            Views[k].Clear();
            CQvcVariant value;
            c.GetXmlView(k, value);
            long step = 0;
            c.GetLastError(step);
            if (step == 0)
                if (auto r = value.AsRecord())
                    CSnRecordSettings::FromRecord(Views[k], *r);
        }
    });
    return ran ? header : code;
}

long CSnWebViewSettings::Write(CSnCfg& store) const {
    return store.WriteSettings([&](ISnCfg& c) {
        c.put_AdvancedSettings(5, Header.Format());
        long code = 0;
        c.GetLastError(code);
        for (int k = 0; k < kViews && code == 0; ++k) {
            c.PutXmlView(k, CQvcVariant::FromRecord(CSnRecordSettings::ToRecord(Views[k], snkind::kXmlView)));
            c.GetLastError(code);
        }
    });
}
