// Which chat messages reach the game, and as what text.
'use strict'

// The text of the message: its text elements joined. session.content holds
// the message as markup, with "<" and "&" escaped and mentions, images and
// faces as tags; the game must see what the member typed.
function messageText(elements) {
  let text = ''
  for (const element of elements || []) {
    if (element.type === 'text') text += element.attrs.content ?? ''
  }
  return text
}

// The text that goes to the game for this session, or null when the message
// is not for it: a private message, a message without text, and, when a
// command word is given (the module's, with its blank), a message that does
// not start with it or holds nothing after it. The command word is taken
// off.
function forwardedText(session, commandWord) {
  // Middleware sees only new messages; adapters name their event types
  // differently ("message", "message-created").
  if (session.isDirect || !session.guildId) return null
  const text = messageText(session.elements)
  if (text === '') return null
  if (!commandWord) return text
  if (!text.startsWith(commandWord)) return null
  return text.length > commandWord.length ? text.slice(commandWord.length) : null
}

// A reply of the module as a chat line: its lines end in "\r\n", chat
// platforms break lines with "\n".
function chatReply(reply) {
  return reply.replace(/\r\n/g, '\n')
}

module.exports = { messageText, forwardedText, chatReply }
