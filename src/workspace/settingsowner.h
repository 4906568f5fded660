#pragma once

class ClosingGroup;
class SettingsFile;

// A part of the console that keeps settings of its own: every workspace, and the pages a
// workspace lends to the Configuration Menu. The main window says when; the owner knows
// which keys are its own and what they do to its controls.
//
// Start-up (RetrieveSettings) runs the phases below in this order, each phase over every
// owner in turn, with the main window's own steps between them:
//   1. resetForStartup()        fresh tables and run state, before the file is read
//   2. readSettings(file)       the saved values into the controls; SettingsLoaded is still
//                               false, so the controls' handlers write nothing back
//      (the main window stops every timer, then builds the tab strip and enters the start
//      workspace)
//   3. prepareFirstEntry(file)  what the start workspace's first entry has left for later
//                               reads: its deferred work (the sequencer's one-time load of
//                               the last file) runs on a later tick and sees these values
//      (the main window sets SettingsLoaded)
//   4. readAfterLoaded(file)    values whose controls must run their handlers: the key-set
//                               captions and the set button pressed, the programming port
// Closing asks every owner for the values of its keys in the closing group, which writes
// them in the group's fixed order whichever owner gave them.
class SettingsOwner
{
public:
    virtual ~SettingsOwner() = default;

    virtual void resetForStartup() {}
    virtual void readSettings(const SettingsFile &) {}
    virtual void prepareFirstEntry(const SettingsFile &) {}
    virtual void readAfterLoaded(const SettingsFile &) {}

    virtual void addClosingValues(ClosingGroup &) const {}
};
