// An ordered list whose walk tolerates changes made during the walk: the actors remove
// themselves and append new shots while their list is being walked.
//
// The list is a ring of links around a head link. A walk holds the link of the element that
// comes next, so
//  - removing the element just returned does not disturb the walk,
//  - an element appended during a walk is visited in that walk, unless the walk had already
//    passed the last element when it was appended,
//  - a removed link keeps its own successor, so a walk that holds it goes on from there.
//
// Elements are stored in the links themselves, and the links in blocks the list owns: no
// allocation and no reference count per element. TList<Tblood> holds decals by value;
// TList<std::shared_ptr<Tfigur>> holds shared figures, which shots may outlive the list in.
// A link removed while a walk is under way is kept, element and all, until the last walk of
// the list ends, so that the walk and the element it returned stay valid; a link removed
// outside any walk is released at once.
#pragma once
#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

template <class T>
class TListLink {
 public:
  TListLink() {}
  ~TListLink() {}
  TListLink(const TListLink&) = delete;
  TListLink& operator=(const TListLink&) = delete;

  T& value() { return value_; }

 private:
  template <class>
  friend class TList;
  union {
    T value_;  // alive only while the link is in the list or waits for a walk to end
  };
  TListLink* pred = nullptr;  // null once the link is out of the list
  TListLink* succ = nullptr;
};

// What a walk and ForEach hand out for an element: the object a shared_ptr points to, or the
// stored value itself.
template <class T>
struct TListObject {
  using Type = T;
  static T* Of(T& v) { return &v; }
};
template <class U>
struct TListObject<std::shared_ptr<U>> {
  using Type = U;
  static U* Of(const std::shared_ptr<U>& v) { return v.get(); }
};

template <class T>
class TList {
 public:
  using Link = TListLink<T>;
  using Object = typename TListObject<T>::Type;

  TList() { head_.pred = head_.succ = &head_; }
  ~TList() {
    for (Link* l = head_.succ; l != &head_; l = l->succ) std::destroy_at(&l->value_);
    for (Link* l : retired_) std::destroy_at(&l->value_);
  }
  TList(const TList&) = delete;
  TList& operator=(const TList&) = delete;

  // Appends an element made from `args` and returns its link.
  template <class... Args>
  Link* AddLast(Args&&... args) {
    Link* link = Take();
    std::construct_at(&link->value_, std::forward<Args>(args)...);
    link->pred = head_.pred;
    link->succ = &head_;
    head_.pred->succ = link;
    head_.pred = link;
    ++count_;
    return link;
  }

  // Removes a link that AddLast returned and clears the caller's pointer to it, which may
  // dangle once the link is out. Null, or a link of another list, is left alone.
  void RemoveLink(Link*& link) {
    Link* const out = link;
    link = nullptr;
    if (out == nullptr || out == &head_ || out->pred == nullptr || !Owns(out)) return;
    out->succ->pred = out->pred;
    out->pred->succ = out->succ;
    out->pred = nullptr;  // the successor stays, for a walk that holds this link
    --count_;
    if (walks_ > 0) {
      retired_.push_back(out);
    } else {
      Release(out);
    }
  }

  // Removes the first element that is (or points to) `object`; false when it is not listed.
  bool Remove(const Object* object) {
    for (Link* l = head_.succ; l != &head_; l = l->succ) {
      if (TListObject<T>::Of(l->value_) == object) {
        RemoveLink(l);
        return true;
      }
    }
    return false;
  }

  int32_t Count() const { return count_; }

  class ObjectEnumerator {
   public:
    explicit ObjectEnumerator(const TList& list) : list_(list), next_(list.head_.succ) { ++list_.walks_; }
    ~ObjectEnumerator() {
      if (--list_.walks_ == 0) list_.ReleaseRetired();
    }
    ObjectEnumerator(const ObjectEnumerator&) = delete;
    ObjectEnumerator& operator=(const ObjectEnumerator&) = delete;

    bool HasNext() const { return next_ != &list_.head_; }
    // The current element; the walk has already moved on to its successor. It stays valid
    // until the walk ends, even when it is removed meanwhile.
    T& NextObject() {
      Link* current = next_;
      next_ = next_->succ;
      return current->value_;
    }

   private:
    const TList& list_;
    Link* next_;
  };

  ObjectEnumerator Walk() const { return ObjectEnumerator(*this); }

  // Calls fn(Object*) on every element, in list order. For passes that neither add nor
  // remove elements.
  template <class Fn>
  void ForEach(Fn&& fn) const {
    for (Link* l = head_.succ; l != &head_; l = l->succ) fn(TListObject<T>::Of(l->value_));
  }

  // The link that holds a value stored in this list.
  static Link* LinkOf(T& value) {
    static_assert(std::is_standard_layout_v<Link>);
    return reinterpret_cast<Link*>(&value);
  }

 private:
  static constexpr size_t kBlockLinks = 256;

  Link* Take() {
    if (free_ == nullptr) {
      blocks_.push_back(std::make_unique<Link[]>(kBlockLinks));
      Link* block = blocks_.back().get();
      for (size_t i = kBlockLinks; i-- > 0;) {
        block[i].succ = free_;
        free_ = &block[i];
      }
    }
    Link* link = free_;
    free_ = link->succ;
    return link;
  }

  void Release(Link* link) const {
    std::destroy_at(&link->value_);
    link->succ = free_;
    free_ = link;
  }

  void ReleaseRetired() const {
    // Released in one go once no walk can hold them; the vector keeps its room for next time.
    for (Link* l : retired_) Release(l);
    retired_.clear();
  }

  bool Owns(const Link* link) const {
    const std::less<const Link*> before;
    return std::any_of(blocks_.begin(), blocks_.end(), [&](const std::unique_ptr<Link[]>& b) {
      return !before(link, b.get()) && before(link, b.get() + kBlockLinks);
    });
  }

  mutable Link head_;  // holds no value
  std::vector<std::unique_ptr<Link[]>> blocks_;
  mutable Link* free_ = nullptr;  // released links, chained through succ
  mutable std::vector<Link*> retired_;  // removed during a walk, released when the walks end
  mutable int32_t walks_ = 0;
  int32_t count_ = 0;
};
