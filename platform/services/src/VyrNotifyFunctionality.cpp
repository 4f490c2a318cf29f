// CVyrNotifyFunctionality: numbered notifications to subscribers.
#include "VyrNotifyFunctionality.h"

#include <algorithm>

CVyrNotifyReceiver::~CVyrNotifyReceiver() = default;

CVyrNotifyFunctionality::CVyrNotifyFunctionality(const CVyrNotifyFunctionality& other)
    : CVyrSmartPointerFunctionality(other)
{
}

CVyrNotifyFunctionality& CVyrNotifyFunctionality::operator=(const CVyrNotifyFunctionality&)
{
    return *this;
}

CVyrNotifyFunctionality::~CVyrNotifyFunctionality() = default;

void CVyrNotifyFunctionality::Subscribe(CVyrNotifyReceiver* receiver)
{
    if (!receiver || IsSubscribed(receiver)) return;
    m_data.receivers.push_back(receiver);
}

void CVyrNotifyFunctionality::Unsubscribe(CVyrNotifyReceiver* receiver)
{
    auto& receivers = m_data.receivers;
    receivers.erase(std::remove(receivers.begin(), receivers.end(), receiver), receivers.end());
}

bool CVyrNotifyFunctionality::IsSubscribed(const CVyrNotifyReceiver* receiver) const
{
    const auto& receivers = m_data.receivers;
    return receiver && std::find(receivers.begin(), receivers.end(), receiver) != receivers.end();
}

void CVyrNotifyFunctionality::Notify(int code)
{
    ++m_data.sentCount;
    m_data.lastCode = code;
    // A receiver may unsubscribe others, subscribe new ones or destroy this object: deliver to the
    // receivers of the moment, skip those that left, and stop once this object is gone.
    const CVyrSmartPointer self = GetSmartPointer();
    OnNotify(code);
    if (!self) return;
    const std::vector<CVyrNotifyReceiver*> receivers = m_data.receivers;
    for (CVyrNotifyReceiver* receiver : receivers) {
        if (!self) return;
        if (!IsSubscribed(receiver)) continue;
        receiver->OnNotification(*this, code);
    }
}

const CVyrNotifyData& CVyrNotifyFunctionality::GetNotifyData() const
{
    return m_data;
}

void CVyrNotifyFunctionality::OnNotify(int) {}
