#include "library/Chains.h"

#include <new>

namespace orb {

TPointerChain::TPointerChain(const char* name) : FName(name ? name : "") {}

TPointerChain::~TPointerChain() {
    // Nodes are freed from the last to the first; the items belong to whoever added them.
    Node* n = FLast;
    while (n) {
        std::unique_ptr<Node> owned(n);
        n = n->Prev;
    }
}

bool TPointerChain::Add(void* item) {
    std::unique_ptr<Node> made(new (std::nothrow) Node{item, nullptr, FLast});
    if (!made) return false;
    Node* node = made.release();
    if (FLast)
        FLast->Next = node;
    else
        FFirst = node;
    FLast = node;
    ++FCount;
    FCurrent = node;
    FCurrentIndex = FCount;
    return true;
}

void* TPointerChain::Get(int32_t a) {
    const int32_t n = FCount;
    if (n <= 0 || a <= 0 || a > n) return nullptr;
    const int32_t c = FCurrentIndex;
    if (a > c) {
        if (a - c >= n - a) {
            FCurrent = FLast;
            FCurrentIndex = n;
        }
    } else if (a < c) {
        if (c - a >= a - 1) {
            FCurrent = FFirst;
            FCurrentIndex = 1;
        }
    }
    while (FCurrentIndex < a && FCurrent->Next) {
        FCurrent = FCurrent->Next;
        ++FCurrentIndex;
        ++FSteps;
    }
    while (FCurrentIndex > a && FCurrent->Prev) {
        FCurrent = FCurrent->Prev;
        --FCurrentIndex;
        ++FSteps;
    }
    return FCurrentIndex == a ? FCurrent->Data : nullptr;
}

void TPointerChain::Put(int32_t a, void* item) {
    Get(a);
    if (FCount > 0 && FCurrentIndex == a) {
        FCurrent->Data = item;
    } else if (FCount > 0) {
        FCurrent = FFirst;
        FCurrentIndex = 1;
    }
}

bool TPointerChain::Delete(int32_t a) {
    if (FCount <= 0 || a > FCount) return false;
    Get(a);
    if (FCurrentIndex != a) {
        FCurrent = FFirst;
        FCurrentIndex = 1;
        return false;
    }
    Node* node = FCurrent;
    if (a == 1) FFirst = node->Next;
    if (a == FCount) FLast = node->Prev;
    if (node->Prev) node->Prev->Next = node->Next;
    if (node->Next) node->Next->Prev = node->Prev;
    std::unique_ptr<Node> freed(node);
    --FCount;
    if (FCount == 0) {
        FCurrent = nullptr;
        FCurrentIndex = 0;
        FFirst = nullptr;
        FLast = nullptr;
    } else {
        FCurrent = FFirst;
        FCurrentIndex = 1;
    }
    return true;
}

}  // namespace orb
