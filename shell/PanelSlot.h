#pragma once

#include <QLockFile>
#include <QString>

#include <memory>

namespace zurbo {

// ----------------------------------------------------------------------------
// The place of one quick-action panel among those open on the desktop, in
// whichever of the user's processes: the lowest slot that no other panel
// holds, kept by a lock file in the user's runtime folder until the slot goes
// away or its process ends, however it ends.
// ----------------------------------------------------------------------------
class PanelSlot {
public:
    static constexpr int slotCount = 16;

    // Takes the lowest free slot in `folder`; slot 0, held by nobody, when
    // none is free or the folder cannot be used.
    explicit PanelSlot(const QString& folder = userFolder());
    ~PanelSlot();

    int index() const { return m_index; }

    // "zurbo" in the user's runtime folder; empty when there is none.
    static QString userFolder();

private:
    std::unique_ptr<QLockFile> m_lock;
    int m_index = 0;
};

} // namespace zurbo
