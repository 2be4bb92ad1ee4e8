#pragma once
// A Mac that reports the administrator "admin" ("Admin User") and a chosen system version.

#include "platform/ProcessInfo.h"

#include <string>
#include <utility>

namespace veltrona::test {

class FixedProcessInfo : public ProcessInfo {
public:
    explicit FixedProcessInfo(std::string version = "Version 10.11.6 (Build 15G31)") : version_(std::move(version)) { }
    std::string operatingSystemVersionString() const override { return version_; }
    std::string processName() const override { return "Veltrona"; }
    std::string fullUserName() const override { return "Admin User"; }
    std::string userName() const override { return "admin"; }
    std::string homeDirectory() const override { return "/Users/admin"; }

private:
    std::string version_;
};

} // namespace veltrona::test
