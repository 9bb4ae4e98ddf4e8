// Carray: a growable array of one element kind (pointer, int, double or
// float), a plain record with free functions. The dialog builder keeps its
// widgets in one.
#pragma once

enum datatype { POINTER = 0, IVALUE = 1, DVALUE = 2, FVALUE = 3 };

typedef struct CarrayStr {
    datatype type;
    void *m_pData;   // null exactly while m_nMaxSize is 0
    int m_nSize;     // elements in use
    int m_nMaxSize;  // capacity in elements
    int m_nGrowBy;   // growth step; 0 picks one from the size
} Carray;

void Carray_Init(Carray *CurArray, datatype type);
// Null when the heap is exhausted. Release with Carray_RemoveAll, then free().
Carray *Carray_New(datatype type);
// nNewSize < 0 does nothing at all; nGrowBy -1 keeps the stored step.
// Growing past an exhausted heap leaves the array unchanged.
void Carray_SetSize(Carray *CurArray, int nNewSize, int nGrowBy);

// Appends return the new index, or -1 for a null array, a null pointer
// element, or when the heap is exhausted.
int Carray_Add(Carray *CurArray, void *newElement);
int Carray_AddIvalue(Carray *CurArray, int newElement);
int Carray_AddDvalue(Carray *CurArray, double newElement);
int Carray_AddFvalue(Carray *CurArray, float newElement);

// -1 for a null array.
int Carray_GetSize(const Carray *CurArray);
void Carray_RemoveAt(Carray *CurArray, int nIndex);
void Carray_RemoveAll(Carray *CurArray);

// Outside 0 .. size-1 these give null / 0 / 0.0.
void *Carray_GetAt(const Carray *CurArray, int nIndex);
int Carray_GetAtIvalue(const Carray *CurArray, int nIndex);
double Carray_GetAtDvalue(const Carray *CurArray, int nIndex);
float Carray_GetAtFvalue(const Carray *CurArray, int nIndex);

// Only existing elements are overwritten; other indexes are ignored.
void Carray_SetAt(Carray *CurArray, int nIndex, void *newElement);
void Carray_SetAtIvalue(Carray *CurArray, int nIndex, int newElement);
void Carray_SetAtDvalue(Carray *CurArray, int nIndex, double newElement);
void Carray_SetAtFvalue(Carray *CurArray, int nIndex, float newElement);

// Inserting at or past the end grows the array so the new element is last;
// the slots in between are left uncleared.
void Carray_InsertAt(Carray *CurArray, int nIndex, void *newElement);
void Carray_InsertAtIvalue(Carray *CurArray, int nIndex, int newElement);
void Carray_InsertAtDvalue(Carray *CurArray, int nIndex, double newElement);
void Carray_InsertAtFvalue(Carray *CurArray, int nIndex, float newElement);
