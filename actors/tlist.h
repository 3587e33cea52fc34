// An ordered list of object references whose walk tolerates changes made during the walk:
// the actors remove themselves and append new shots while their list is being walked.
//
// The list is a ring of links around a head link. A walk holds the link of the element that
// comes next, so
//  - removing the element just returned does not disturb the walk,
//  - an element appended during a walk is visited in that walk, unless the walk had already
//    passed the last element when it was appended,
//  - a removed link keeps its own successor, so a walk that holds it goes on from there.
// Links and values are reference counted: a removed element stays valid for as long as anyone
// (a walk, a shot naming its owner) still refers to it, and the list releases everything it
// holds when it is destroyed.
#pragma once
#include <cstdint>
#include <memory>

class TLink {
 public:
  std::shared_ptr<void> value;
  std::shared_ptr<TLink> succ;
  TLink* pred = nullptr;  // null once the link is removed
  const void* owner = nullptr;  // the list core that holds the link
};

// The untyped list; TList<T> below gives it its element type.
class TListCore {
 public:
  TListCore();
  ~TListCore();
  TListCore(const TListCore&) = delete;
  TListCore& operator=(const TListCore&) = delete;

  TLink* AddLast(std::shared_ptr<void> value);
  // Removes the first link that holds the object; false when it is not in the list.
  bool Remove(const void* object);
  // Removes a link that AddLast returned and clears the caller's pointer to it, which may
  // dangle once the link is out. Null, or a link of another list, is left alone.
  void RemoveLink(TLink*& link);
  int32_t Count() const { return count_; }

  class Enumerator {
   public:
    explicit Enumerator(const TListCore& list);
    bool HasNext() const;
    // The current element; the walk has already moved on to its successor.
    std::shared_ptr<void> Advance();

   private:
    const TLink* head_;
    std::shared_ptr<TLink> next_;
  };

  // Calls fn(const T&) on every value, in list order, without touching reference counts.
  // For passes that neither add nor remove elements.
  template <class Fn>
  void ForEachValue(Fn&& fn) const {
    for (const TLink* l = head_->succ.get(); l != head_.get(); l = l->succ.get()) fn(l->value);
  }

 private:
  std::shared_ptr<TLink> head_;
  int32_t count_ = 0;
};

template <class T>
class TList {
 public:
  TLink* AddLast(std::shared_ptr<T> object) { return core_.AddLast(std::move(object)); }
  bool Remove(const T* object) { return core_.Remove(object); }
  void RemoveLink(TLink*& link) { core_.RemoveLink(link); }
  int32_t Count() const { return core_.Count(); }

  class ObjectEnumerator {
   public:
    explicit ObjectEnumerator(const TListCore& core) : e_(core) {}
    bool HasNext() const { return e_.HasNext(); }
    std::shared_ptr<T> NextObject() { return std::static_pointer_cast<T>(e_.Advance()); }

   private:
    TListCore::Enumerator e_;
  };

  ObjectEnumerator Walk() const { return ObjectEnumerator(core_); }

  // Read-only pass over the elements as plain pointers, in list order.
  template <class Fn>
  void ForEach(Fn&& fn) const {
    core_.ForEachValue([&](const std::shared_ptr<void>& v) { fn(static_cast<T*>(v.get())); });
  }

 private:
  TListCore core_;
};
