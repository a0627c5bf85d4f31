#pragma once
// Today's date for the value-date rules. One interface so tests can fix the date.
#include <string>

namespace tallivo {

class Clock
{
public:
    virtual ~Clock() = default;
    // Today's local date as eight digits yyyymmdd.
    virtual std::string TodayYyyymmdd() const = 0;
};

class SystemClock : public Clock
{
public:
    std::string TodayYyyymmdd() const override;
};

class FixedClock : public Clock
{
public:
    explicit FixedClock(std::string yyyymmdd) : m_today(std::move(yyyymmdd)) {}
    std::string TodayYyyymmdd() const override { return m_today; }

private:
    std::string m_today;
};

} // namespace tallivo
