#include "engine/CheckRunner.h"

CheckOutcome CheckOutcome::Success(CQvcString response, CQvcString data) {
    CheckOutcome o;
    o.kind = Kind::Success;
    o.Response = std::move(response);
    o.Data = std::move(data);
    return o;
}

CheckOutcome CheckOutcome::Error(CQvcString response, CQvcString data) {
    CheckOutcome o;
    o.kind = Kind::Error;
    o.Response = std::move(response);
    o.Data = std::move(data);
    return o;
}

CheckOutcome CheckOutcome::Uncertain(CQvcString response, CQvcString data) {
    CheckOutcome o;
    o.kind = Kind::Uncertain;
    o.Response = std::move(response);
    o.Data = std::move(data);
    return o;
}
