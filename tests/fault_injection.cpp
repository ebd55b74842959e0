#include "fault_injection.h"

namespace {

QList<FaultInjection::Fault> activeFaults;
QList<int> callsSeen;

int injectFaults(record_calls::Call call, const QByteArray& name)
{
    for (qsizetype i = 0; i < activeFaults.size(); ++i) {
        const FaultInjection::Fault& fault = activeFaults[i];
        if (fault.call == call && fault.name == name && ++callsSeen[i] > fault.spared)
            return fault.error;
    }
    return 0;
}

}  // namespace

FaultInjection::FaultInjection(const QList<Fault>& faults)
{
    activeFaults = faults;
    callsSeen = QList<int>(faults.size(), 0);
    record_calls::setFaultHook(injectFaults);
}

FaultInjection::~FaultInjection()
{
    clear();
}

void FaultInjection::clear()
{
    record_calls::setFaultHook(nullptr);
    activeFaults.clear();
}
