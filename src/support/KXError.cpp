#include "support/KXError.h"

CKXError::CKXError() noexcept : code(0) {}

CKXError::~CKXError() = default;

int CKXError::SetError(unsigned int newCode) noexcept
{
    code = newCode;
    return 1;
}

unsigned int CKXError::GetError() const noexcept
{
    return code;
}
