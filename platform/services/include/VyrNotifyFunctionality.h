// CVyrNotifyFunctionality: the base through which an object tells its subscribers that something
// happened to it, by a number. The display's rendering contexts send the codes of
// CVyrNotification::VyrObjectNotifivation; the host subscribes a CVyrNotifyReceiver.
//
// Delivery: Notify(code) first calls the object's own OnNotify(code), then each receiver that
// is subscribed, in the order of subscription, once each. A receiver subscribed or unsubscribed
// while a notification is being delivered takes effect from the next notification on, except that
// a receiver unsubscribed meanwhile is not called any more; when a receiver destroys the sender,
// delivery stops there. A receiver must unsubscribe before it is destroyed.
//
// A copy of a notifier is another object with no receivers: subscriptions belong to the object
// they were made on. Assignment leaves both objects' receivers as they were.
#pragma once

#include "VyrServicesApi.h"
#include "VyrSmartPointerFunctionality.h"

#include <vector>

class CVyrNotifyFunctionality;

// The notification codes of the display's objects.
class VYR_SERVICES_API CVyrNotification {
public:
    // What happened; codes 0 to 2, 7 and 11 to 14 are not sent by the display.
    enum VyrObjectNotifivation : int {
        eDrawFigureControlObject = 3,              // figure control objects must be drawn again
        eDrawFigureControlObjectToShadedViews = 4, // the same, for the shaded views only
        eEntityRemoved = 5,                        // an entity is about to leave the display
        eInvalidateRubberbandFigures = 6,          // rubber-band figures are no longer on screen
        eDrawSpFigures = 8,                        // special figures must be drawn again
        eViewScaleChanged = 9,                     // a view's scale changed
        eRefreshIncrement = 10,                    // a refresh drew a frame
        eStartCameraChanged = 15,                  // a camera change starts
        eEndCameraChanged = 16,                    // a camera change ended
        eViewDeActivated = 17,                     // a view was deactivated
        eToolDeActivated = 18,                     // a tool was deactivated
        eImmedToolActivated = 19,                  // an immediate tool was activated
        eImmedToolDeActivated = 20,                // an immediate tool was deactivated
    };
};

// A subscriber of notifications.
class VYR_SERVICES_API CVyrNotifyReceiver {
public:
    // Nothing to free (unsubscribe first).
    virtual ~CVyrNotifyReceiver();
    // Called for every notification of a sender this receiver is subscribed to.
    virtual void OnNotification(CVyrNotifyFunctionality& sender, int code) = 0;
};

// What a notifier keeps: its receivers and a record of what it sent.
struct VYR_SERVICES_API CVyrNotifyData {
    // Receivers in the order of subscription (not owned).
    std::vector<CVyrNotifyReceiver*> receivers;
    // Notifications sent so far.
    unsigned long sentCount = 0;
    // Code of the last notification sent (0 before the first).
    int lastCode = 0;
};

// Base of objects that notify subscribers.
class VYR_SERVICES_API CVyrNotifyFunctionality : public CVyrSmartPointerFunctionality {
public:
    // No receivers, nothing sent.
    CVyrNotifyFunctionality() = default;
    // Another notifier, with no receivers and nothing sent.
    CVyrNotifyFunctionality(const CVyrNotifyFunctionality& other);
    // Leaves this notifier's receivers and record as they are.
    CVyrNotifyFunctionality& operator=(const CVyrNotifyFunctionality& other);
    // Forgets the receivers (they are not told).
    ~CVyrNotifyFunctionality() override;

    // Adds `receiver` after the others; nothing for null or a receiver already subscribed.
    void Subscribe(CVyrNotifyReceiver* receiver);
    // Removes `receiver`; nothing when it is not subscribed.
    void Unsubscribe(CVyrNotifyReceiver* receiver);
    // Whether `receiver` is subscribed.
    bool IsSubscribed(const CVyrNotifyReceiver* receiver) const;
    // Sends `code`: OnNotify(code), then every receiver (see the header comment).
    void Notify(int code);

    // The receivers and the record of what was sent.
    virtual const CVyrNotifyData& GetNotifyData() const;
    // Called first for every notification this object sends: nothing here.
    virtual void OnNotify(int code);

private:
    CVyrNotifyData m_data;
};
