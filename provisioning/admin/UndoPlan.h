#pragma once

#include "RunReceipt.h"
#include "ServerCatalogue.h"

#include <QStringList>

namespace brevane::admin {

// Puts back what a receipt says a run changed, and nothing else: drops the
// database it left (only while its files are those of the receipt, with
// unchanged sizes and times), gives the dump device its old path or removes
// it, and gives the settings entries their old values. Anything no longer as
// the receipt says stops the whole undo before it touches anything.
class UndoPlan
{
public:
    UndoPlan(const RunReceipt &receipt, StatementSender send);

    // What is no longer as the receipt says; empty when the undo may go ahead.
    QStringList differences();
    // What apply() will do, in order.
    QStringList actions() const;
    // Failures of the server or of the settings file are thrown.
    void apply();

private:
    void compareDatabase(QStringList &differences);
    void compareDevice(QStringList &differences);
    void compareSettings(QStringList &differences) const;
    bool deviceChanged() const { return m_receipt.deviceBefore != m_receipt.deviceAfter; }

    const RunReceipt &m_receipt;
    StatementSender m_send;
    ServerCatalogue m_catalogue;
};

} // namespace brevane::admin
