#include "actors/tlist.h"

#include <utility>

TListCore::TListCore() : head_(std::make_shared<TLink>()) {
  // An empty ring: the head is its own neighbour. The head's link to itself is the one
  // reference cycle; the destructor breaks it.
  head_->succ = head_;
  head_->pred = head_.get();
  head_->owner = this;
}

TListCore::~TListCore() {
  // Released one link at a time: letting the chain of successor references unwind by itself
  // would recurse once per element.
  std::shared_ptr<TLink> link = std::move(head_->succ);
  while (link && link != head_) {
    std::shared_ptr<TLink> next = std::move(link->succ);
    link->pred = nullptr;
    link->owner = nullptr;
    link->value.reset();
    link = std::move(next);
  }
}

TLink* TListCore::AddLast(std::shared_ptr<void> value) {
  auto link = std::make_shared<TLink>();
  link->value = std::move(value);
  link->owner = this;
  TLink* last = head_->pred;
  link->pred = last;
  link->succ = head_;
  head_->pred = link.get();
  last->succ = link;  // the ring now holds the link
  ++count_;
  return last->succ.get();
}

bool TListCore::Remove(const void* object) {
  for (TLink* l = head_->succ.get(); l != head_.get(); l = l->succ.get()) {
    if (l->value.get() == object) {
      TLink* found = l;
      RemoveLink(found);
      return true;
    }
  }
  return false;
}

void TListCore::RemoveLink(TLink*& link) {
  if (link == nullptr || link == head_.get() || link->owner != this || link->pred == nullptr) return;
  TLink* const out = link;
  link = nullptr;
  // The predecessor's reference may be the last one; keep the link alive until it is unhooked.
  std::shared_ptr<TLink> keep = out->pred->succ;
  out->succ->pred = out->pred;
  out->pred->succ = out->succ;
  out->pred = nullptr;
  out->owner = nullptr;
  --count_;
}

TListCore::Enumerator::Enumerator(const TListCore& list) : head_(list.head_.get()), next_(list.head_->succ) {}

bool TListCore::Enumerator::HasNext() const { return next_ && next_.get() != head_; }

std::shared_ptr<void> TListCore::Enumerator::Advance() {
  std::shared_ptr<void> value = next_->value;
  next_ = next_->succ;
  return value;
}
