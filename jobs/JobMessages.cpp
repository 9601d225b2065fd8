#include "jobs/JobMessages.h"

#include <cstdio>

namespace solvena {

namespace {

std::string Format(const char* format, int line, int jobsAdded) {
    char text[512];
    std::snprintf(text, sizeof text, format, line, jobsAdded);
    return text;
}

}  // namespace

std::string JobListLoadMessage(const JobListResult& result) {
    switch (result.status) {
        case JobListStatus::ok:
            return {};
        case JobListStatus::cannotOpen:
            return kJobListCannotOpenText;
        case JobListStatus::badCount:
            return Format(kJobListBadCountFormat, result.line, result.jobsAdded);
        case JobListStatus::incompleteJob:
            return Format(kJobListIncompleteFormat, result.line, result.jobsAdded);
        case JobListStatus::tableFull:
            return Format(kJobListTableFullFormat, result.line, result.jobsAdded);
    }
    return {};
}

}  // namespace solvena
