// kre_tree: the one ordered, intrusive tree of the program (document nodes,
// TOC entries, directory listings). The tree holds only its first top-level
// node and their count; nodes carry their own links and are owned by the tree.
//
// A node type derives from its link header:  struct toc_node : krnode<toc_node> { ... };
// The tree reaches the links through T* and frees nodes with `delete`.
#pragma once
#include <cstdint>

template <class T, bool counted = true>
struct krnode {
  static constexpr bool counts_children = true;
  T *parent = nullptr;       // none for a top-level node
  T *next = nullptr;         // next sibling
  T *first_child = nullptr;
  T *previous = nullptr;     // previous sibling
  int32_t child_count = 0;   // direct children
};

// The links without the count of children, for nodes a page has hundreds of
// thousands of and whose count nothing reads: krnode<T, false>.
template <class T>
struct krnode<T, false> {
  static constexpr bool counts_children = false;
  T *parent = nullptr;
  T *next = nullptr;
  T *first_child = nullptr;
  T *previous = nullptr;
};

// Where a node sat before unlink took it out.
template <class T>
struct krunlinked {
  T *parent = nullptr;
  T *next = nullptr;
};

// Every walk here is a loop over the links: documents of a million siblings or
// a million nesting levels must not exhaust the stack.
template <class T>
class kre_tree {
public:
  kre_tree() = default;
  kre_tree(const kre_tree &) = delete;
  kre_tree &operator=(const kre_tree &) = delete;
  virtual ~kre_tree() { clear(); }

  // Ordering hook for sorted listings; the plain tree keeps insertion order.
  virtual int32_t compare(const T *a, const T *b) const {
    (void)a;
    (void)b;
    return 0;
  }

  T *first = nullptr;   // first top-level node
  int32_t count = 0;    // top-level nodes

  // Pre-order successor: the order in which a document's text is written.
  static T *next_in_order(T *n) {
    if (!n) return nullptr;
    if (n->first_child) return n->first_child;
    return next_after_subtree(n);
  }

  // Successor that skips n's descendants.
  static T *next_after_subtree(T *n) {
    for (; n; n = n->parent)
      if (n->next) return n->next;
    return nullptr;
  }

  static T *last_sibling(T *s) {
    if (!s) return nullptr;
    while (s->next) s = s->next;
    return s;
  }

  T *insert_first_top_level(T *n) {
    if (!n) return nullptr;
    n->next = first;
    if (first) first->previous = n;
    n->parent = nullptr;
    n->previous = nullptr;
    first = n;
    ++count;
    return n;
  }

  void append_top_level(T *n) {
    if (!n) return;
    if (!first) {
      n->parent = n->next = n->previous = nullptr;
      first = n;
      ++count;
      return;
    }
    append_after_last_sibling(n, first);
  }

  // n takes m's place; m follows n.
  void insert_before(T *n, T *m) {
    if (!n || !m) return;
    n->next = m;
    n->previous = m->previous;
    if (m->previous) m->previous->next = n;
    m->previous = n;
    n->parent = m->parent;
    if (first == m) first = n;
    if (m->parent && m->parent->first_child == m) m->parent->first_child = n;
    add_to_count(n->parent, 1);
  }

  void insert_after(T *n, T *m) {
    if (!n || !m) return;
    n->next = m->next;
    if (m->next) m->next->previous = n;
    m->next = n;
    n->previous = m;
    n->parent = m->parent;
    add_to_count(n->parent, 1);
  }

  void insert_first_child(T *n, T *p) {
    if (!n || !p) return;
    n->next = p->first_child;
    if (p->first_child) p->first_child->previous = n;
    n->previous = nullptr;
    n->parent = p;
    p->first_child = n;
    add_to_count(p, 1);
  }

  void append_child(T *n, T *p) {
    if (!n || !p) return;
    if (!p->first_child) {
      n->parent = p;
      n->next = n->previous = nullptr;
      p->first_child = n;
      add_to_count(p, 1);
      return;
    }
    insert_after(n, last_sibling(p->first_child));
  }

  // n goes after the last node of s's chain, counted from s onward.
  void append_after_last_sibling(T *n, T *s) {
    if (!n || !s) return;
    insert_after(n, last_sibling(s));
  }

  // Takes n out of its chain; its own children stay with it.
  krunlinked<T> unlink(T *n) {
    krunlinked<T> was;
    if (!n) return was;
    was.parent = n->parent;
    was.next = n->next;
    if (n->previous) n->previous->next = n->next;
    if (n->next) n->next->previous = n->previous;
    if (n->parent) {
      if (n->parent->first_child == n) n->parent->first_child = n->next;
      add_to_count(n->parent, -1);
    } else {
      if (first == n) first = n->next;
      --count;
    }
    n->parent = n->next = n->previous = nullptr;
    return was;
  }

  // Puts an unlinked node back: before `before`, else as parent's last child,
  // else at the end of the top level.
  void relink(T *n, T *parent, T *before) {
    if (!n) return;
    if (before) {
      insert_before(n, before);
    } else if (parent) {
      append_child(n, parent);
    } else if (!first) {
      n->parent = n->next = n->previous = nullptr;
      first = n;
      ++count;
    } else if (n != first) {
      append_after_last_sibling(n, first);
    }
  }

  // Destroys n with its descendants and every following sibling with theirs.
  // What stays behind no longer points into the destroyed range: n's previous
  // sibling ends its chain, and the parent's (or the tree's) first node and
  // count are corrected.
  void destroy_subtree(T *n) {
    if (!n) return;
    T *parent = n->parent;
    int32_t destroyed = 0;
    for (T *s = n; s; s = s->next) ++destroyed;
    if (n->previous) n->previous->next = nullptr;
    if (parent) {
      if (parent->first_child == n) parent->first_child = nullptr;
      add_to_count(parent, -destroyed);
    } else {
      if (first == n) first = nullptr;
      count -= destroyed;
    }
    destroy_range(n, parent);
  }

  void unlink_and_destroy(T *n) {
    if (!n) return;
    unlink(n);
    destroy_range(n, nullptr);
  }

  void clear() {
    T *n = first;
    first = nullptr;
    count = 0;
    destroy_range(n, nullptr);
  }

private:
  void add_to_count(T *parent, int32_t delta) {
    if (!parent)
      count += delta;
    else if constexpr (T::counts_children)
      parent->child_count += delta;
  }

  // Post-order deletion of n, its following siblings and all their
  // descendants, climbing back through the parent links instead of a stack.
  // `top` is the parent of n's chain, where the climb ends.
  static void destroy_range(T *n, T *top) {
    T *cur = n;
    while (cur) {
      while (cur->first_child) cur = cur->first_child;
      T *next = cur->next;
      T *up = cur->parent;
      delete cur;
      if (next) {
        cur = next;
      } else if (up != top) {
        up->first_child = nullptr;  // all of up's children are gone
        cur = up;
      } else {
        cur = nullptr;
      }
    }
  }
};
