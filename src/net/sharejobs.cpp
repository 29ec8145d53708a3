#include "net/sharejobs.h"

namespace calmora {

ShareJobs::ShareJobs(QObject *parent) : QObject(parent), m_link(std::make_shared<Link>())
{
    m_link->owner = this;
}

ShareJobs::~ShareJobs()
{
    std::lock_guard lock(m_link->mutex);
    m_link->owner = nullptr;
}

} // namespace calmora
