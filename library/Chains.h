#pragma once
// A named, doubly linked chain of untyped pointers addressed by 1-based position. A cursor
// stays where the last access left it, so walking in order costs one link step per call.
// The chain never owns its items.
#include <cstdint>
#include <memory>

namespace orb {

class TPointerChain {
public:
    explicit TPointerChain(const char* name = "");
    ~TPointerChain();
    TPointerChain(const TPointerChain&) = delete;
    TPointerChain& operator=(const TPointerChain&) = delete;

    // Appends the item; the cursor moves to it. False only when no node could be made.
    bool Add(void* item);
    // The item at position 1..Count, or nullptr; moves the cursor there.
    void* Get(int32_t position);
    // Replaces the item at the position; a missing position only moves the cursor home.
    void Put(int32_t position, void* item);
    // Unlinks and frees the node (not the item); the cursor goes back to the first node.
    bool Delete(int32_t position);
    int32_t Count() const { return FCount; }

    const char* Name() const { return FName; }
    // 1-based cursor position, 0 when empty; for callers that want to reason about cost.
    int32_t CurrentIndex() const { return FCurrentIndex; }
    // Link steps walked so far by Get, Put and Delete.
    int64_t LinkSteps() const { return FSteps; }

private:
    struct Node {
        void* Data;
        Node* Next;
        Node* Prev;
    };

    int32_t FCount = 0;
    Node* FCurrent = nullptr;
    int32_t FCurrentIndex = 0;
    Node* FFirst = nullptr;
    Node* FLast = nullptr;
    const char* FName;
    int64_t FSteps = 0;
};

}  // namespace orb
