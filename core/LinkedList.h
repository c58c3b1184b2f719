#pragma once
// TLinkedList: an intrusive singly linked list (a unit's slaves, smooth movers, animation
// instances and the like). The link is the element's own `next` member; the list is only
// a head pointer and owns nothing: whoever unlinks an element gives it back to its pool.
// An element is in at most one list at a time.

template <class T>
class TLinkedList {
public:
    T* First() const { return head; }
    bool Empty() const { return head == nullptr; }
    void Clear() { head = nullptr; }

    void PushBack(T* element)
    {
        element->next = nullptr;
        T** link = &head;
        while (*link) link = &(*link)->next;
        *link = element;
    }

    // Unlinks element; false when it is not in the list.
    bool Remove(T* element)
    {
        for (T** link = &head; *link; link = &(*link)->next) {
            if (*link != element) continue;
            *link = element->next;
            element->next = nullptr;
            return true;
        }
        return false;
    }

    // The first element for which match(element) is true, or null.
    template <class Match>
    T* Find(Match match) const
    {
        for (T* e = head; e; e = e->next)
            if (match(e)) return e;
        return nullptr;
    }

    // Calls f(element) for each element; f may unlink the element it is given.
    template <class F>
    void ForEach(F f) const
    {
        for (T* e = head; e;) {
            T* following = e->next;
            f(e);
            e = following;
        }
    }

    // The element at position (0 = first), or null.
    T* At(int position) const
    {
        T* e = head;
        for (; e && position > 0; --position) e = e->next;
        return position == 0 ? e : nullptr;
    }

    int Count() const
    {
        int n = 0;
        for (T* e = head; e; e = e->next) ++n;
        return n;
    }

    T* head = nullptr;
};
