// What a chat session asks of the game, as requests to the host pool: the
// session's guild and user become the module's numbers, the answers plain
// chat text ('' for no reply).
'use strict'

const { chatReply } = require('./chat')

// The message type of a group message, the only one the game answers.
const GROUP_MESSAGE = '2'

class Game {
  constructor({ pool, ids, logger }) {
    this.pool = pool
    this.ids = ids
    this.logger = logger
  }

  // The module's reply to a group message whose text is text.
  play(session, text) {
    return this.ask(session, { op: 'event', message: text, type: GROUP_MESSAGE, extra: '' })
  }

  signIn(session) {
    return this.ask(session, { op: 'signin' })
  }

  balance(session) {
    return this.ask(session, { op: 'balance' })
  }

  // The group's leaders, shown with the names their members were last seen
  // under.
  top(session) {
    return this.ask(session, (group) => ({ op: 'top', names: this.ids.namesIn(group) }))
  }

  // request: the request without group and member, or a function that makes
  // it from the group's number.
  async ask(session, request) {
    const group = this.ids.guild(session.platform, session.guildId)
    const member = this.ids.user(session.platform, session.userId, nameOf(session), group)
    const body = typeof request === 'function' ? request(group) : request
    const answer = await this.pool.request({ ...body, group, member })
    if (!answer) return '' // the pool logged why
    if (!answer.ok) {
      this.logger.warn(`zorvane-host refused ${body.op}: ${answer.error}`)
      return ''
    }
    return chatReply(answer.reply ?? '')
  }
}

// The name a member shows in the chat.
function nameOf(session) {
  return session.event?.member?.nick || session.event?.user?.nick || session.event?.user?.name ||
    session.username || ''
}

module.exports = { Game, GROUP_MESSAGE }
