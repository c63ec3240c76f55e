#pragma once
#include <string>
#include <utility>

/// One electrical load of the solar calculator: a name as typed, its power in watts and its daily use in hours.
/// Values are kept as given, zero, negative or huge.
class InfoSolarCalcItem {
public:
    InfoSolarCalcItem(std::string name, float power, float dailyUsage)
        : sName(std::move(name)), fPower(power), fDailyUsage(dailyUsage) {}

    std::string sName;
    float fPower;
    float fDailyUsage;

    /// The load's daily energy in watt-hours, in single precision.
    float dailyEnergy() const { return fPower * fDailyUsage; }
    /// The text of the load's row: "name, 4.0h, 36.0Wh".
    std::string rowText() const;
};
