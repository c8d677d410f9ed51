// The SDK's singly linked list. Appends at the tail, keeps a count and frees
// only its nodes: the owner deletes the elements (DeleteAll).
#pragma once

template <typename T>
class CTListItem {
 public:
  CTListItem(T* i, CTListItem* n = nullptr) : item(i), next(n) {}
  virtual ~CTListItem() = default;

  T* item;
  CTListItem* next;
};

template <typename T>
class CTList {
 public:
  CTList() = default;
  virtual ~CTList() { Clear(); }
  CTList(const CTList&) = delete;
  CTList& operator=(const CTList&) = delete;

  void Append(T* element) {
    auto* node = new CTListItem<T>(element);
    if (!head) {
      head = node;
    } else {
      CTListItem<T>* p = head;
      while (p->next) p = p->next;
      p->next = node;
    }
    ++count;
  }

  // Unlinks the first node holding `element`; the element itself is kept.
  void Remove(T* element) {
    CTListItem<T>** link = &head;
    while (*link) {
      if ((*link)->item == element) {
        CTListItem<T>* node = *link;
        *link = node->next;
        delete node;
        --count;
        return;
      }
      link = &(*link)->next;
    }
  }

  // Frees the nodes, never the elements.
  void Clear() {
    while (head) {
      CTListItem<T>* next = head->next;
      delete head;
      head = next;
    }
    count = 0;
  }

  // Deletes every element through its virtual destructor, then the nodes.
  void DeleteAll() {
    for (CTListItem<T>* p = head; p; p = p->next) {
      delete p->item;
      p->item = nullptr;
    }
    Clear();
  }

  bool Contains(const T* element) const {
    for (CTListItem<T>* p = head; p; p = p->next)
      if (p->item == element) return true;
    return false;
  }

  T* At(int index) const {
    int i = 0;
    for (CTListItem<T>* p = head; p && p->item; p = p->next, ++i)
      if (i == index) return p->item;
    return nullptr;
  }

  CTListItem<T>* head = nullptr;
  int count = 0;
};

// A walk over a list: first and next; a null item ends the walk.
template <typename T>
class CTListCursor {
 public:
  explicit CTListCursor(const CTList<T>* list) : list_(list) {}
  T* First() {
    node_ = list_ ? list_->head : nullptr;
    return node_ ? node_->item : nullptr;
  }
  T* Next() {
    if (node_) node_ = node_->next;
    return node_ ? node_->item : nullptr;
  }

 private:
  const CTList<T>* list_;
  CTListItem<T>* node_ = nullptr;
};

// Range-for over the items of a list (stops at a null item like the cursor).
template <typename T>
struct CTListRange {
  const CTList<T>* list;
  struct It {
    CTListItem<T>* node;
    T* operator*() const { return node->item; }
    It& operator++() {
      node = node->next;
      return *this;
    }
    bool operator!=(const It& o) const {
      bool endA = !node || !node->item, endB = !o.node || !o.node->item;
      return endA != endB || (!endA && node != o.node);
    }
  };
  It begin() const { return {list ? list->head : nullptr}; }
  It end() const { return {nullptr}; }
};

template <typename T>
CTListRange<T> Items(const CTList<T>* list) {
  return {list};
}
