#include "core/calculators/InfoSolarCalcItem.h"

#include "platform/Format.h"

std::string InfoSolarCalcItem::rowText() const { return format("%@, %.1fh, %.1fWh", sName, fDailyUsage, dailyEnergy()); }
