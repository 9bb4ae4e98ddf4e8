#include "foundation/carray.h"

#include <cstdlib>
#include <cstring>

static size_t slot_width(datatype type)
{
    switch (type) {
    case IVALUE: return sizeof(int);
    case DVALUE: return sizeof(double);
    case FVALUE: return sizeof(float);
    case POINTER: break;
    }
    return sizeof(void *);
}

static char *slot(const Carray *a, int nIndex)
{
    return static_cast<char *>(a->m_pData) + (size_t)nIndex * slot_width(a->type);
}

void Carray_Init(Carray *CurArray, datatype type)
{
    CurArray->type = type;
    CurArray->m_pData = nullptr;
    CurArray->m_nSize = 0;
    CurArray->m_nMaxSize = 0;
    CurArray->m_nGrowBy = 0;
}

Carray *Carray_New(datatype type)
{
    Carray *a = static_cast<Carray *>(malloc(sizeof(Carray)));
    if (a)
        Carray_Init(a, type);
    return a;
}

void Carray_SetSize(Carray *CurArray, int nNewSize, int nGrowBy)
{
    if (nNewSize < 0)
        return;
    if (nGrowBy != -1)
        CurArray->m_nGrowBy = nGrowBy;

    if (nNewSize == 0) {
        free(CurArray->m_pData);
        CurArray->m_pData = nullptr;
        CurArray->m_nSize = CurArray->m_nMaxSize = 0;
        return;
    }
    size_t width = slot_width(CurArray->type);
    if (!CurArray->m_pData) {
        void *block = malloc((size_t)nNewSize * width);
        if (!block)
            return;
        CurArray->m_pData = block;
        CurArray->m_nSize = CurArray->m_nMaxSize = nNewSize;
        return;
    }
    if (nNewSize <= CurArray->m_nMaxSize) {
        CurArray->m_nSize = nNewSize;
        return;
    }

    int step = CurArray->m_nGrowBy;
    if (step == 0) {
        // One eighth of what is in use, kept between 4 and 1024.
        step = CurArray->m_nSize / 8;
        if (step < 4)
            step = 4;
        else if (step > 1024)
            step = 1024;
    }
    int nNewMax = CurArray->m_nMaxSize + step;
    if (nNewMax < nNewSize)
        nNewMax = nNewSize;

    void *block = malloc((size_t)nNewMax * width);
    if (!block)
        return;
    memcpy(block, CurArray->m_pData, (size_t)CurArray->m_nSize * width);
    free(CurArray->m_pData);
    CurArray->m_pData = block;
    CurArray->m_nSize = nNewSize;
    CurArray->m_nMaxSize = nNewMax;
}

// Grows by one and returns the new index, or -1 when the heap refused.
static int grow_one(Carray *a)
{
    int index = a->m_nSize;
    Carray_SetSize(a, index + 1, -1);
    return a->m_nSize == index + 1 ? index : -1;
}

int Carray_Add(Carray *CurArray, void *newElement)
{
    if (!CurArray || !newElement)
        return -1;
    int index = grow_one(CurArray);
    if (index >= 0)
        memcpy(slot(CurArray, index), &newElement, sizeof newElement);
    return index;
}

int Carray_AddIvalue(Carray *CurArray, int newElement)
{
    if (!CurArray)
        return -1;
    int index = grow_one(CurArray);
    if (index >= 0)
        memcpy(slot(CurArray, index), &newElement, sizeof newElement);
    return index;
}

int Carray_AddDvalue(Carray *CurArray, double newElement)
{
    if (!CurArray)
        return -1;
    int index = grow_one(CurArray);
    if (index >= 0)
        memcpy(slot(CurArray, index), &newElement, sizeof newElement);
    return index;
}

int Carray_AddFvalue(Carray *CurArray, float newElement)
{
    if (!CurArray)
        return -1;
    int index = grow_one(CurArray);
    if (index >= 0)
        memcpy(slot(CurArray, index), &newElement, sizeof newElement);
    return index;
}

int Carray_GetSize(const Carray *CurArray)
{
    return CurArray ? CurArray->m_nSize : -1;
}

void Carray_RemoveAt(Carray *CurArray, int nIndex)
{
    if (nIndex < 0 || nIndex >= CurArray->m_nSize)
        return;
    int tail = CurArray->m_nSize - nIndex - 1;
    if (tail > 0)
        memmove(slot(CurArray, nIndex), slot(CurArray, nIndex + 1),
                (size_t)tail * slot_width(CurArray->type));
    CurArray->m_nSize--;
}

void Carray_RemoveAll(Carray *CurArray)
{
    Carray_SetSize(CurArray, 0, -1);
}

static bool valid(const Carray *a, int nIndex)
{
    return nIndex >= 0 && nIndex < a->m_nSize;
}

void *Carray_GetAt(const Carray *CurArray, int nIndex)
{
    void *v = nullptr;
    if (valid(CurArray, nIndex))
        memcpy(&v, slot(CurArray, nIndex), sizeof v);
    return v;
}

int Carray_GetAtIvalue(const Carray *CurArray, int nIndex)
{
    int v = 0;
    if (valid(CurArray, nIndex))
        memcpy(&v, slot(CurArray, nIndex), sizeof v);
    return v;
}

double Carray_GetAtDvalue(const Carray *CurArray, int nIndex)
{
    double v = 0.0;
    if (valid(CurArray, nIndex))
        memcpy(&v, slot(CurArray, nIndex), sizeof v);
    return v;
}

float Carray_GetAtFvalue(const Carray *CurArray, int nIndex)
{
    float v = 0.0f;
    if (valid(CurArray, nIndex))
        memcpy(&v, slot(CurArray, nIndex), sizeof v);
    return v;
}

void Carray_SetAt(Carray *CurArray, int nIndex, void *newElement)
{
    if (valid(CurArray, nIndex))
        memcpy(slot(CurArray, nIndex), &newElement, sizeof newElement);
}

void Carray_SetAtIvalue(Carray *CurArray, int nIndex, int newElement)
{
    if (valid(CurArray, nIndex))
        memcpy(slot(CurArray, nIndex), &newElement, sizeof newElement);
}

void Carray_SetAtDvalue(Carray *CurArray, int nIndex, double newElement)
{
    if (valid(CurArray, nIndex))
        memcpy(slot(CurArray, nIndex), &newElement, sizeof newElement);
}

void Carray_SetAtFvalue(Carray *CurArray, int nIndex, float newElement)
{
    if (valid(CurArray, nIndex))
        memcpy(slot(CurArray, nIndex), &newElement, sizeof newElement);
}

// Makes room for one element at nIndex; false when nothing may be stored.
static bool open_slot(Carray *a, int nIndex)
{
    if (nIndex < 0)
        return false;
    int oldSize = a->m_nSize;
    if (nIndex < oldSize) {
        Carray_SetSize(a, oldSize + 1, -1);
        if (a->m_nSize != oldSize + 1)
            return false;
        memmove(slot(a, nIndex + 1), slot(a, nIndex),
                (size_t)(oldSize - nIndex) * slot_width(a->type));
    } else {
        Carray_SetSize(a, nIndex + 1, -1);
    }
    return a->m_nSize >= nIndex + 1;
}

void Carray_InsertAt(Carray *CurArray, int nIndex, void *newElement)
{
    if (open_slot(CurArray, nIndex))
        memcpy(slot(CurArray, nIndex), &newElement, sizeof newElement);
}

void Carray_InsertAtIvalue(Carray *CurArray, int nIndex, int newElement)
{
    if (open_slot(CurArray, nIndex))
        memcpy(slot(CurArray, nIndex), &newElement, sizeof newElement);
}

void Carray_InsertAtDvalue(Carray *CurArray, int nIndex, double newElement)
{
    if (open_slot(CurArray, nIndex))
        memcpy(slot(CurArray, nIndex), &newElement, sizeof newElement);
}

void Carray_InsertAtFvalue(Carray *CurArray, int nIndex, float newElement)
{
    if (open_slot(CurArray, nIndex))
        memcpy(slot(CurArray, nIndex), &newElement, sizeof newElement);
}
