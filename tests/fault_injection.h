#pragma once

#include "platform/record_calls.h"

#include <QByteArray>
#include <QList>

// Makes system calls of the record layer fail while it is in scope: each
// fault fails every call of its kind on its file ("" for the data folder)
// after the first `spared` of them.
class FaultInjection {
public:
    struct Fault {
        record_calls::Call call;
        QByteArray name;
        int error;
        int spared = 0;
    };

    explicit FaultInjection(const QList<Fault>& faults);
    ~FaultInjection();
    FaultInjection(const FaultInjection&) = delete;
    FaultInjection& operator=(const FaultInjection&) = delete;

    // Lets every call through again, also when the test failed in scope.
    static void clear();
};
