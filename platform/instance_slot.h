// Which of a user's running instances of the program this one is: a small
// number that windows use to step aside from one another's place.
#pragma once

// Slot n is held through a lock on the file window-<n>.lock in the user's
// runtime folder ($XDG_RUNTIME_DIR/plenx-logger when that is an absolute
// path, else the program's configuration folder; on Windows the state
// folder, UserStateFolder(), and an open that shares the file with nobody
// is the lock). The lock goes with the process, however it ends, so a slot
// is never held by a program that has gone.
class InstanceSlot {
 public:
  // Takes the lowest of `slots` slots no other running instance holds; 0
  // when all are held or the folder cannot be used (the first place is
  // then shared, as before there were slots).
  explicit InstanceSlot(int slots);
  ~InstanceSlot();
  InstanceSlot(const InstanceSlot&) = delete;
  InstanceSlot& operator=(const InstanceSlot&) = delete;

  int Number() const { return m_number; }

 private:
  int m_number = 0;
  int m_fd = -1;
};
